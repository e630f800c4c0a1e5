// Reading a dialog template: the DLGTEMPLATE header, its class, title and
// font, then each DWORD-aligned DLGITEMTEMPLATE with its class and title.
#include <cstring>
#include <string>

#include "platform/user.h"
#include "platform/user_state.h"

namespace plat::detail {
namespace {

WORD read_word(const BYTE*& p) {
  WORD value;
  std::memcpy(&value, p, sizeof value);
  p += sizeof value;
  return value;
}

// A 16-bit string; characters past one byte become "?".
std::string read_string(const BYTE*& p) {
  std::string text;
  for (WORD c = read_word(p); c != 0; c = read_word(p))
    text += c < 0x100 ? static_cast<char>(c) : '?';
  return text;
}

// A name or an ordinal; an ordinal comes back as "#n".
std::string read_name_or_ordinal(const BYTE*& p) {
  WORD first;
  std::memcpy(&first, p, sizeof first);
  if (first == 0) {
    p += sizeof first;
    return {};
  }
  if (first == 0xFFFF) {
    p += sizeof first;
    std::string ordinal(1, '#');
    return ordinal.append(std::to_string(read_word(p)));
  }
  return read_string(p);
}

const char* class_of_atom(const std::string& name) {
  if (name == "#128") return "button";
  if (name == "#129") return "edit";
  if (name == "#130") return "static";
  return nullptr;
}

}  // namespace

parsed_template parse_template(const DLGTEMPLATE* source) {
  parsed_template parsed;
  const auto* p = reinterpret_cast<const BYTE*>(source);
  std::memcpy(&parsed.head, p, sizeof parsed.head);
  p += sizeof parsed.head;
  read_name_or_ordinal(p);  // the menu: a dialog here has none
  parsed.class_name = read_name_or_ordinal(p);
  parsed.title = read_string(p);
  if ((parsed.head.style & DS_SETFONT) != 0) {
    parsed.point_size = read_word(p);
    parsed.face = read_string(p);
  }
  for (WORD i = 0; i < parsed.head.cdit; ++i) {
    p = reinterpret_cast<const BYTE*>((reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t{3});
    template_item item{};
    std::memcpy(&item.head, p, sizeof item.head);
    p += sizeof item.head;
    item.class_name = read_name_or_ordinal(p);
    if (const char* known = class_of_atom(item.class_name)) item.class_name = known;
    item.title = read_name_or_ordinal(p);
    WORD extra = read_word(p);
    item.creation_data = extra != 0 ? p : nullptr;
    p += extra;
    parsed.items.push_back(std::move(item));
  }
  return parsed;
}

}  // namespace plat::detail
