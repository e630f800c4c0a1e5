// Finding a window record in the window resources of the program's modules.
#include "ui/window_resource.h"

#include <cstring>

#include "platform/process.h"
#include "platform/resource.h"
#include "platform/text.h"
#include "runtime/compare.h"
#include "services/error_state.h"
#include "services/heap.h"
#include "services/module_registry.h"
#include "services/runtime_error.h"
#include "ui/window_layer.h"

namespace ui {
namespace {

constexpr const char* window_component = "WSLDIAL";
constexpr const char* resource_suffix = "_RSC";

bool inside(const WindowImage& image, std::uint32_t offset, std::uint32_t length) {
  return offset != 0 && offset < image.size && length <= image.size - offset;
}

bool same_module_name(const char* stored, const char* wanted) {
  return rt::collate_texts(stored, static_cast<std::uint32_t>(std::strlen(stored)), wanted,
                           static_cast<std::uint32_t>(std::strlen(wanted))) == 0;
}

// Copies `module`'s window resource into `image` when its leading module
// name is `module_name`.
bool load_image(plat::HMODULE module, const char* module_name, WindowImage* image) {
  char name[260];
  window_resource_name(module_name, name, sizeof name);
  plat::HRSRC found = plat::FindResourceA(module, name, window_resource_type);
  if (found == nullptr) return false;
  plat::HGLOBAL loaded = plat::LoadResource(module, found);
  const auto* data = static_cast<const char*>(plat::LockResource(loaded));
  std::uint32_t size = plat::SizeofResource(module, found);
  const void* end = data != nullptr ? std::memchr(data, '\0', size) : nullptr;
  if (end == nullptr || !same_module_name(data, module_name)) {
    plat::FreeResource(loaded);
    return false;
  }
  auto name_length = static_cast<std::uint32_t>(static_cast<const char*>(end) - data);
  std::uint32_t image_size = size - name_length - 1 + 2;
  auto* bytes = static_cast<std::uint8_t*>(svc::allocate_zeroed(1, image_size));
  if (bytes != nullptr) std::memcpy(bytes + 2, data + name_length + 1, image_size - 2);
  plat::FreeResource(loaded);
  if (bytes == nullptr) return false;
  *image = WindowImage{bytes, image_size, module};
  return true;
}

// Follows the record chain from image offset 2. A chain that leaves the
// image, or comes back to a record it passed, ends the search.
std::uint32_t find_in_image(const WindowImage& image, const char* window_name) {
  std::uint32_t offset = 0;
  if (image.size < image_data_start) return 0;
  std::memcpy(&offset, image.bytes + image_first_record_offset, sizeof offset);
  for (std::uint32_t steps = 0; steps < image.size; ++steps) {
    const WindowRecord* record = image.record(offset);
    if (record == nullptr) return 0;
    if (std::strcmp(image.text(record->name), window_name) == 0) return offset;
    offset = record->next;
  }
  return 0;
}

std::uint32_t search_module(plat::HMODULE module, const char* module_name, const char* window_name,
                            WindowImage* image) {
  WindowImage candidate;
  if (!load_image(module, module_name, &candidate)) return 0;
  std::uint32_t offset = find_in_image(candidate, window_name);
  if (offset == 0) {
    release_window_image(&candidate);
    return 0;
  }
  *image = candidate;
  return offset;
}

// The module after `previous` in the runtime's list of registered modules.
plat::HMODULE next_registered_module(plat::HMODULE previous) {
  svc::ModuleNode* node = svc::module_registry().head();
  if (previous != nullptr) {
    while (node != nullptr && node->instance != previous) node = node->next;
    if (node != nullptr) node = node->next;
  }
  return node != nullptr ? node->instance : nullptr;
}

}  // namespace

const WindowRecord* WindowImage::record(std::uint32_t offset) const {
  if (!inside(*this, offset, sizeof(WindowRecord))) return nullptr;
  return reinterpret_cast<const WindowRecord*>(bytes + offset);
}

const char* WindowImage::text(std::uint32_t offset) const {
  if (!inside(*this, offset, 1) || std::memchr(bytes + offset, '\0', size - offset) == nullptr) {
    return "";
  }
  return reinterpret_cast<const char*>(bytes + offset);
}

const StatusZone* WindowImage::zone(std::uint32_t offset) const {
  if (!inside(*this, offset, sizeof(StatusZone))) return nullptr;
  return reinterpret_cast<const StatusZone*>(bytes + offset);
}

std::size_t window_resource_name(const char* module_name, char* buffer, std::size_t size) {
  const char* dollar = std::strchr(module_name, '$');
  const char* start = dollar != nullptr ? dollar + 1 : module_name;
  std::size_t base = std::strlen(start);
  std::size_t full = base + std::strlen(resource_suffix);
  if (size == 0) return full;
  std::size_t kept = base < size - 1 ? base : size - 1;
  std::memcpy(buffer, start, kept);
  std::size_t suffix = std::strlen(resource_suffix);
  std::size_t suffix_kept = kept + suffix < size - 1 ? suffix : size - 1 - kept;
  std::memcpy(buffer + kept, resource_suffix, suffix_kept);
  buffer[kept + suffix_kept] = '\0';
  plat::CharUpperA(buffer);
  return full;
}

std::uint32_t find_window_record(const char* module_name, const char* window_name,
                                 WindowImage* image) {
  plat::HMODULE program = window_layer().program_instance();
  ModuleWalker next_module = window_layer().module_walker != nullptr ? window_layer().module_walker
                                                                     : &next_registered_module;
  std::uint32_t offset = search_module(program, module_name, window_name, image);
  for (plat::HMODULE module = next_module(nullptr); offset == 0 && module != nullptr;
       module = next_module(module)) {
    if (module != program) offset = search_module(module, module_name, window_name, image);
  }
  if (offset == 0) svc::raise_runtime_error(svc::err::internal_error_02, window_component);
  return offset;
}

void release_window_image(WindowImage* image) {
  svc::release(image->bytes);
  *image = WindowImage{};
}

void set_module_walker(ModuleWalker walker) {
  window_layer().module_walker = walker;
}

int read_status_zones(const WindowImage& image, std::uint32_t first, std::int32_t* widths,
                      int capacity) {
  int count = 0;
  for (std::uint32_t offset = first; offset != 0 && count < capacity;) {
    const StatusZone* zone = image.zone(offset);
    if (zone == nullptr) break;
    widths[count++] = zone->width;
    offset = zone->next;
  }
  return count;
}

}  // namespace ui
