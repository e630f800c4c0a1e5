#include "app/message_output.h"

#include <cstring>

#include "app/program_data.h"
#include "platform/dialog.h"
#include "runtime/number_text.h"
#include "runtime/string_value.h"

namespace app {

namespace {

// The wait cursor loaded by show_wait_cursor, null while none is shown.
plat::HCURSOR wait_cursor = nullptr;

}  // namespace

void write_line(std::initializer_list<std::string_view> pieces) {
  ProgramData& data = program_data();
  char* line = reinterpret_cast<char*>(data.message_line);
  uint32_t used = 0;
  for (std::string_view piece : pieces) {
    const uint32_t room = kMessageLineSize - used;
    const uint32_t n = piece.size() < room ? static_cast<uint32_t>(piece.size()) : room;
    if (n) std::memcpy(line + used, piece.data(), n);
    used += n;
  }
  for (uint32_t i = 0; i < used; ++i)
    if (line[i] == '\r' || line[i] == '\n') line[i] = ' ';
  rt::fill_spaces(line + used, kMessageLineSize - used);
  append_message_record();
}

void append_message_record() { drv::ADD(&program_data().message_file); }

void show_wait_cursor() {
  if (wait_cursor == nullptr) wait_cursor = plat::LoadCursorA(nullptr, plat::IDC_WAIT);
  plat::SetCursor(wait_cursor);
}

void restore_cursor() {
  if (wait_cursor == nullptr) return;
  if (plat::GetCursor() == wait_cursor) plat::SetCursor(nullptr);
  plat::DestroyCursor(wait_cursor);
  wait_cursor = nullptr;
}

std::string_view decimal_text(int32_t value, char (&out)[rt::kNumberTextCapacity]) {
  return {out, rt::format_integer(value, out)};
}

}  // namespace app
