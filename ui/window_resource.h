// Window resources: the compiled windows of a program module.
//
// Each module keeps one resource of the type "REZAVIZ", named after the part
// of its module name behind the first "$" (the whole name when there is
// none) with "_RSC" added, upper-cased: module "msgmake$msgma001" has
// "MSGMA001_RSC". The resource holds
//
//   offset 0      the module name, NUL-ended (n bytes and the NUL)
//   offset n + 1  the window image
//
// When a window is looked up, the image is copied into a heap block two
// bytes after its start (the block's first byte is 0, its second unused), and
// every offset inside the image counts from the start of that block, so
// image offset k is resource byte k + n - 1 and offset 0 means "absent".
//
//   image offset 2   4 bytes: the offset of the first window record
//   image offset 6   strings, lists and records, reached through offsets
//
// All numbers are 32-bit little-endian.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "platform/types.h"

namespace ui {

static_assert(std::endian::native == std::endian::little, "images are read in place");

inline constexpr const char* window_resource_type = "REZAVIZ";
inline constexpr std::uint32_t image_first_record_offset = 2;
inline constexpr std::uint32_t image_data_start = 6;

// Record kinds.
inline constexpr std::uint8_t record_kind_application = 25;

// The window attribute bit that makes the window report moves and sizes.
inline constexpr std::uint32_t attribute_reports_moves = 0x800;

// Window flags (record offset 81), as far as the frame's style reads them.
inline constexpr std::uint32_t flag_maximize_box = 0x0800;
inline constexpr std::uint32_t flag_system_menu = 0x1000;
inline constexpr std::uint32_t flag_start_minimized = 0x8000;
inline constexpr std::uint32_t flag_frame_kind_mask = 0x0060;
inline constexpr int flag_frame_kind_shift = 5;

// Position and size chosen by the system.
inline constexpr std::int32_t default_position = static_cast<std::int32_t>(0x80000000u);

// A window record, at image offset r. Every "offset" field is an image
// offset, 0 for none.
#pragma pack(push, 1)
struct WindowRecord {
  std::uint8_t kind;                // r + 0    25: application frame
  std::uint32_t next;               // r + 1    the next record, 0 at the end
  std::uint32_t attributes;         // r + 5    copied into the window object
  std::uint32_t unused_9;           // r + 9
  std::int32_t x;                   // r + 13   dialog units, or default_position
  std::int32_t y;                   // r + 17
  std::int32_t width;               // r + 21
  std::int32_t height;              // r + 25
  std::uint32_t unused_29;          // r + 29
  std::uint32_t name;               // r + 33   the window's name
  std::uint32_t first_control;      // r + 37   the first control record
  std::uint32_t title;              // r + 41   the title text
  std::uint8_t unused_45[12];       // r + 45
  std::uint32_t icon;               // r + 57   the icon string (as MESSAGE reads it)
  std::uint32_t definition_61;      // r + 61   a further definition the window keeps
  std::uint32_t unused_65;          // r + 65
  std::uint32_t definition_69;      // r + 69   a further definition the window keeps
  std::uint8_t unused_73[8];        // r + 73
  std::uint32_t flags;              // r + 81   window flags
  std::uint32_t palette;            // r + 85   palette data
  std::uint32_t timer;              // r + 89   hundredths of a second, 0: no timer
  std::uint32_t menu;               // r + 93   menu definition
  std::uint32_t toolbar;            // r + 97   toolbar definition
  std::uint32_t cursor;             // r + 101  cursor string, 0: the arrow
  std::uint32_t first_status_zone;  // r + 105  0: no status bar
  std::uint8_t unused_109[7];       // r + 109  the record's tail
};
#pragma pack(pop)
static_assert(offsetof(WindowRecord, next) == 1);
static_assert(offsetof(WindowRecord, attributes) == 5);
static_assert(offsetof(WindowRecord, x) == 13);
static_assert(offsetof(WindowRecord, height) == 25);
static_assert(offsetof(WindowRecord, name) == 33);
static_assert(offsetof(WindowRecord, first_control) == 37);
static_assert(offsetof(WindowRecord, title) == 41);
static_assert(offsetof(WindowRecord, icon) == 57);
static_assert(offsetof(WindowRecord, definition_61) == 61);
static_assert(offsetof(WindowRecord, definition_69) == 69);
static_assert(offsetof(WindowRecord, flags) == 81);
static_assert(offsetof(WindowRecord, palette) == 85);
static_assert(offsetof(WindowRecord, timer) == 89);
static_assert(offsetof(WindowRecord, menu) == 93);
static_assert(offsetof(WindowRecord, cursor) == 101);
static_assert(offsetof(WindowRecord, first_status_zone) == 105);
static_assert(sizeof(WindowRecord) == 116);

// A status-bar zone: two words.
#pragma pack(push, 1)
struct StatusZone {
  std::int32_t width;  // +0 dialog units; -1: the width that is left
  std::uint32_t next;  // +4 the next zone, 0 for the last
};
#pragma pack(pop)
static_assert(sizeof(StatusZone) == 8);

// A window image in its heap block.
struct WindowImage {
  std::uint8_t* bytes = nullptr;   // the block; bytes[0] is 0
  std::uint32_t size = 0;          // of the block, the two leading bytes included
  plat::HMODULE module = nullptr;  // where the image came from

  // The record at `offset`, or null when it does not lie inside the image.
  const WindowRecord* record(std::uint32_t offset) const;
  // The NUL-ended text at `offset`; "" for 0 or an offset outside the
  // image, or a text that does not end inside it.
  const char* text(std::uint32_t offset) const;
  const StatusZone* zone(std::uint32_t offset) const;
};

// The resource name of a module: "msgmake$msgma001" gives "MSGMA001_RSC".
// Writes at most size - 1 bytes and the NUL; returns the full length.
std::size_t window_resource_name(const char* module_name, char* buffer, std::size_t size);

// Looks the window up in the program module, then in the other modules:
// the module's window resource, if its leading module name equals
// `module_name` (collating comparison), is copied into `image` and its
// record chain searched for `window_name`. Returns the record's offset
// (with `image` filled), or raises runtime error 502 "WSLDIAL" and returns 0.
std::uint32_t find_window_record(const char* module_name, const char* window_name,
                                 WindowImage* image);
// Gives the image's heap block back.
void release_window_image(WindowImage* image);

// Where the lookup goes after the program module (the window layer's module
// walker); without one it follows the runtime's list of registered modules.
void set_module_walker(plat::HMODULE (*walker)(plat::HMODULE previous));

// The widths of the status-bar zones from `first`, at most `capacity`;
// returns how many were read (a chain that leaves the image ends the list,
// one that loops ends at `capacity`).
int read_status_zones(const WindowImage& image, std::uint32_t first, std::int32_t* widths,
                      int capacity);

}  // namespace ui
