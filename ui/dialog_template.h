// Writing a dialog template in memory, in the form the dialog manager reads
// (platform/user.h): the header, no menu, the standard dialog class, the
// title, the font, then each control on a 4-byte boundary with its class
// name, its title and no creation data. Each byte of a text becomes one
// 16-bit character of the same value.
#pragma once

#include <cstdint>

#include "platform/user.h"

namespace ui {

struct DialogTemplate {
  std::uint8_t* bytes = nullptr;  // a heap block; null when the heap ran out
  std::uint32_t size = 0;
};

class DialogTemplateWriter {
 public:
  // Starts the template with the dialog's header (at 0, 0 in dialog units).
  DialogTemplateWriter(plat::DWORD style, short cx, short cy, const char* title,
                       plat::WORD point_size, const char* face);
  ~DialogTemplateWriter();
  DialogTemplateWriter(const DialogTemplateWriter&) = delete;
  DialogTemplateWriter& operator=(const DialogTemplateWriter&) = delete;

  void add_control(plat::DWORD style, short x, short y, short cx, short cy, plat::WORD id,
                   const char* class_name, const char* title);
  // The finished template, handed to the caller (release it with
  // svc::release); the writer is empty afterwards.
  DialogTemplate finish();

 private:
  void put(const void* data, std::uint32_t length);
  void put_word(plat::WORD value) { put(&value, sizeof value); }
  void put_text(const char* text);
  void align();

  std::uint8_t* bytes_ = nullptr;
  std::uint32_t size_ = 0;
  std::uint32_t capacity_ = 0;
  plat::WORD controls_ = 0;
  bool failed_ = false;
};

}  // namespace ui
