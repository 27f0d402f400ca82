// Dialog layouts as plain data: what a classic resource script says about a
// dialog, in the same units and order, so that every backend builds the same
// window from it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kadenzo {

// A rectangle in dialog units: a quarter of the dialog font's average
// character width across, an eighth of its height down.
struct DialogRect {
  int x, y, width, height;
};

// Window styles, with the values the Windows dialog manager gives them.
namespace DialogStyle {
inline constexpr std::uint32_t kPopup = 0x80000000;
inline constexpr std::uint32_t kVisible = 0x10000000;
inline constexpr std::uint32_t kCaption = 0x00C00000;
inline constexpr std::uint32_t kSysMenu = 0x00080000;
inline constexpr std::uint32_t kModalFrame = 0x00000080;
inline constexpr std::uint32_t kSetFont = 0x00000040;
}  // namespace DialogStyle

enum class ControlKind {
  AutoRadioButton,
  Edit,
  PushButton,
  DefaultPushButton,
  Label,
  GroupFrame,
  Icon,
};

enum class TextAlign { Left, Centre };

// Control flags; a control's kind implies the rest of its style.
namespace ControlFlag {
inline constexpr std::uint32_t kTabStop = 1u << 0;
inline constexpr std::uint32_t kGroup = 1u << 1;  // starts a group of controls
inline constexpr std::uint32_t kBorder = 1u << 2;
inline constexpr std::uint32_t kAutoHScroll = 1u << 3;
inline constexpr std::uint32_t kReadOnly = 1u << 4;
}  // namespace ControlFlag

// Controls without an id of their own: labels, frames, the icon.
inline constexpr int kStaticId = -1;

struct ControlTemplate {
  ControlKind kind;
  int id;
  // The label's or button's text; in labels "&&" shows one ampersand. An
  // icon control names its icon resource instead.
  std::string_view text;
  DialogRect rect;
  std::uint32_t flags = 0;
  TextAlign align = TextAlign::Left;
  int iconResource = 0;
};

struct DialogTemplate {
  int resourceId;
  std::string_view caption;
  int width, height;  // dialog units
  std::string_view fontName;
  int fontPoints;
  std::uint32_t styles;
  std::span<const ControlTemplate> controls;  // in tab and grouping order
};

// The controls of the group that starts at firstId: firstId itself and every
// following control up to, not including, the next one that starts a group.
std::span<const ControlTemplate> GroupOf(const DialogTemplate& dialog, int firstId);

}  // namespace kadenzo
