// The program's window resource, built byte by byte at the offsets of its
// window image.
#include "app/program_resources.h"

#include <array>
#include <string_view>

#include "platform/resource.h"
#include "ui/window_resource.h"

namespace app {
namespace {

constexpr std::size_t module_name_length = 16;  // "msgmake$msgma001"
constexpr std::size_t resource_size = module_name_length + 1 + frame_image_size - 2;

// Where the image's parts lie (image offsets).
constexpr std::uint32_t title_at = 6;  // "Application"
constexpr std::uint32_t name_at = 18;  // "P1$APPFRAME"
constexpr std::uint32_t zone_45_at = 30;
constexpr std::uint32_t zone_120_at = 38;
constexpr std::uint32_t zone_80_at = 46;
constexpr std::uint32_t zone_rest_at = 54;
constexpr std::uint32_t record_at = 62;

// The frame's record values.
constexpr std::uint32_t frame_attributes = ui::attribute_reports_moves;
constexpr std::int32_t frame_width = 310;
constexpr std::int32_t frame_height = 190;
constexpr std::uint32_t frame_flags = 0x1820;  // system menu, maximize box, resizable

using Resource = std::array<std::uint8_t, resource_size>;

// Image offset k is resource byte k + n - 1 for a module name of n bytes.
constexpr std::size_t at_image(std::uint32_t offset) {
  return offset + module_name_length - 1;
}

constexpr void put_text(Resource& bytes, std::size_t at, const char* text) {
  for (std::size_t i = 0; text[i] != '\0'; ++i) bytes[at + i] = static_cast<std::uint8_t>(text[i]);
}

constexpr void put32(Resource& bytes, std::uint32_t image_offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) {
    bytes[at_image(image_offset) + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

constexpr void put_zone(Resource& bytes, std::uint32_t at, std::int32_t width, std::uint32_t next) {
  put32(bytes, at + offsetof(ui::StatusZone, width), static_cast<std::uint32_t>(width));
  put32(bytes, at + offsetof(ui::StatusZone, next), next);
}

constexpr void put_field(Resource& bytes, std::size_t field, std::uint32_t value) {
  put32(bytes, record_at + static_cast<std::uint32_t>(field), value);
}

constexpr Resource build_resource() {
  Resource bytes{};
  put_text(bytes, 0, program_module_name);
  put32(bytes, ui::image_first_record_offset, record_at);
  put_text(bytes, at_image(title_at), "Application");
  put_text(bytes, at_image(name_at), frame_window_name);
  put_zone(bytes, zone_45_at, 45, 0);
  put_zone(bytes, zone_120_at, 120, zone_45_at);
  put_zone(bytes, zone_80_at, 80, zone_120_at);
  put_zone(bytes, zone_rest_at, -1, zone_80_at);
  bytes[at_image(record_at) + offsetof(ui::WindowRecord, kind)] = ui::record_kind_application;
  put_field(bytes, offsetof(ui::WindowRecord, attributes), frame_attributes);
  put_field(bytes, offsetof(ui::WindowRecord, x), static_cast<std::uint32_t>(ui::default_position));
  put_field(bytes, offsetof(ui::WindowRecord, y), static_cast<std::uint32_t>(ui::default_position));
  put_field(bytes, offsetof(ui::WindowRecord, width), frame_width);
  put_field(bytes, offsetof(ui::WindowRecord, height), frame_height);
  put_field(bytes, offsetof(ui::WindowRecord, name), name_at);
  put_field(bytes, offsetof(ui::WindowRecord, title), title_at);
  put_field(bytes, offsetof(ui::WindowRecord, flags), frame_flags);
  put_field(bytes, offsetof(ui::WindowRecord, first_status_zone), zone_rest_at);
  return bytes;
}

constexpr Resource window_resource = build_resource();

static_assert(std::string_view(program_module_name).size() == module_name_length);
static_assert(zone_rest_at + sizeof(ui::StatusZone) == record_at);
static_assert(record_at + sizeof(ui::WindowRecord) == frame_image_size);
static_assert(resource_size == 193);

}  // namespace

std::span<const std::uint8_t> program_window_resource() {
  return window_resource;
}

void register_program_resources() {
  // A second registration fails with "already exists" and leaves the first.
  plat::add_resource(nullptr, ui::window_resource_type, program_resource_name,
                     window_resource.data(), static_cast<plat::DWORD>(window_resource.size()));
}

}  // namespace app
