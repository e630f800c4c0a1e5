// Loading the icon an icon string names.
#include "ui/icon_string.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/text.h"
#include "platform/user.h"
#include "ui/window_layer.h"

namespace ui {
namespace {

constexpr unsigned char icon_number_mark = 0xFF;
constexpr unsigned char system_icon_kind = 0x01;
constexpr unsigned char program_icon_kind = 0x02;
constexpr std::uint32_t numbered_form_length = 4;

plat::HICON load_numbered(const unsigned char* bytes) {
  auto n = static_cast<plat::WORD>(bytes[2] | (bytes[3] << 8));
  plat::LPCSTR id = plat::MAKEINTRESOURCEA(static_cast<plat::WORD>(n - 1));
  plat::HINSTANCE from = bytes[1] == system_icon_kind ? nullptr : window_layer().program_instance();
  return plat::LoadIconA(from, id);
}

plat::HICON load_named_resource(std::string name) {
  for (char& c : name) {
    if (c == '.') c = '_';
  }
  plat::CharUpperA(name.data());
  return plat::LoadIconA(window_layer().program_instance(), name.c_str());
}

// "file[3]" is icon 3 of the file; a name without brackets is icon 0.
plat::HICON extract_from_file(const std::string& text) {
  std::string file = text;
  plat::UINT index = 0;
  std::size_t open = text.rfind('[');
  if (open != std::string::npos && text.back() == ']') {
    file = text.substr(0, open);
    index = static_cast<plat::UINT>(std::strtoul(text.c_str() + open + 1, nullptr, 10));
  }
  return plat::ExtractIconA(window_layer().program_instance(), file.c_str(), index);
}

}  // namespace

plat::HICON load_icon_string(const char* text, std::uint32_t length) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  if (length == 0) return nullptr;
  if (length >= numbered_form_length && bytes[0] == icon_number_mark &&
      (bytes[1] == system_icon_kind || bytes[1] == program_icon_kind)) {
    return load_numbered(bytes);
  }
  std::string name(text, length);
  if (name[0] == '~') return load_named_resource(name.substr(1));
  return extract_from_file(name);
}

}  // namespace ui
