#include "framework/binding.h"

namespace kadenzo {

const BindingRow* FindBinding(const BindingTable& table, std::uint32_t message, std::uint16_t code, int id) noexcept {
  for (const BindingTable* level = &table; level != nullptr; level = level->base) {
    for (const BindingRow& row : level->rows) {
      if (row.message == message && row.code == code && id >= row.firstId && id <= row.lastId) return &row;
    }
  }
  return nullptr;
}

}  // namespace kadenzo
