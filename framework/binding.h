// Binding tables: which handler answers which control notification. Each
// dialog class keeps one static table of rows and names its base class's
// table, so a notification no row of the class answers falls through to the
// rows every dialog inherits.
#pragma once

#include <cstdint>
#include <span>

namespace kadenzo {

class CDialog;

// The messages and notification codes, with their Windows values.
inline constexpr std::uint32_t kCommandMessage = 0x0111;  // WM_COMMAND
namespace Notify {
inline constexpr std::uint16_t kClicked = 0x0000;  // BN_CLICKED
inline constexpr std::uint16_t kChange = 0x0300;   // EN_CHANGE
}  // namespace Notify

// A handler as the table stores it: a plain function that calls the member
// function of the dialog class that bound it.
using CommandHandler = void (*)(CDialog& dialog);

struct BindingRow {
  std::uint32_t message;
  std::uint16_t code;
  int firstId;
  int lastId;
  CommandHandler handler;
};

struct BindingTable {
  const BindingTable* base;
  std::span<const BindingRow> rows;
};

namespace detail {
template <class Member>
struct HandlerClass;
template <class Dialog>
struct HandlerClass<void (Dialog::*)()> {
  using type = Dialog;
};

template <auto handler>
void CallHandler(CDialog& dialog) {
  using Dialog = typename HandlerClass<decltype(handler)>::type;
  (static_cast<Dialog&>(dialog).*handler)();
}
}  // namespace detail

// Row helpers for the two notifications dialogs bind, one control each.
template <auto handler>
constexpr BindingRow OnChange(int id) noexcept {
  return {kCommandMessage, Notify::kChange, id, id, &detail::CallHandler<handler>};
}
template <auto handler>
constexpr BindingRow OnClicked(int id) noexcept {
  return {kCommandMessage, Notify::kClicked, id, id, &detail::CallHandler<handler>};
}

// The first row, from the class's own table outwards, that binds the
// notification; nullptr if none does.
const BindingRow* FindBinding(const BindingTable& table, std::uint32_t message, std::uint16_t code, int id) noexcept;

}  // namespace kadenzo
