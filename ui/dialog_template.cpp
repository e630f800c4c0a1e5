// Writing dialog templates into the runtime heap.
#include "ui/dialog_template.h"

#include <cstddef>
#include <cstring>

#include "services/heap.h"

namespace ui {
namespace {

constexpr std::uint32_t first_capacity = 256;
constexpr plat::WORD no_menu = 0;
constexpr plat::WORD standard_dialog_class = 0;

}  // namespace

DialogTemplateWriter::DialogTemplateWriter(plat::DWORD style, short cx, short cy, const char* title,
                                           plat::WORD point_size, const char* face) {
  plat::DLGTEMPLATE header{style, 0, 0, 0, 0, cx, cy};
  put(&header, sizeof header);
  put_word(no_menu);
  put_word(standard_dialog_class);
  put_text(title);
  if ((style & plat::DS_SETFONT) != 0) {
    put_word(point_size);
    put_text(face);
  }
}

DialogTemplateWriter::~DialogTemplateWriter() {
  svc::release(bytes_);
}

void DialogTemplateWriter::add_control(plat::DWORD style, short x, short y, short cx, short cy,
                                       plat::WORD id, const char* class_name, const char* title) {
  align();
  plat::DLGITEMTEMPLATE item{style, 0, x, y, cx, cy, id};
  put(&item, sizeof item);
  put_text(class_name);
  put_text(title);
  put_word(0);  // no creation data
  ++controls_;
}

DialogTemplate DialogTemplateWriter::finish() {
  if (failed_) return {};
  std::memcpy(bytes_ + offsetof(plat::DLGTEMPLATE, cdit), &controls_, sizeof controls_);
  DialogTemplate done{bytes_, size_};
  bytes_ = nullptr;
  size_ = capacity_ = 0;
  return done;
}

void DialogTemplateWriter::put(const void* data, std::uint32_t length) {
  if (failed_) return;
  if (size_ + length > capacity_) {
    std::uint32_t grown = capacity_ == 0 ? first_capacity : capacity_ * 2;
    while (grown < size_ + length) grown *= 2;
    auto* moved = static_cast<std::uint8_t*>(svc::resize(bytes_, grown));
    if (moved == nullptr) {
      failed_ = true;
      return;
    }
    bytes_ = moved;
    capacity_ = grown;
  }
  std::memcpy(bytes_ + size_, data, length);
  size_ += length;
}

void DialogTemplateWriter::put_text(const char* text) {
  for (const char* p = text; *p != '\0'; ++p) put_word(static_cast<unsigned char>(*p));
  put_word(0);
}

void DialogTemplateWriter::align() {
  while (size_ % 4 != 0) {
    std::uint8_t zero = 0;
    put(&zero, 1);
  }
}

}  // namespace ui
