#include "services/error_state.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/last_error.h"
#include "services/error_table.h"
#include "services/heap.h"

namespace svc {
namespace {

void fill_blank(char* field, std::size_t width) { std::memset(field, ' ', width); }

// Blanks a text field unless it already starts with a space, as clearing
// does: a field that was never written is not touched again.
void clear_text(char* field, std::size_t width) {
  if (field[0] != ' ') fill_blank(field, width);
}

void append(MessageText& out, std::string_view text) {
  std::size_t room = message_text_limit - out.length;
  std::size_t count = std::min(room, text.size());
  std::memcpy(out.text + out.length, text.data(), count);
  out.length += count;
  out.text[out.length] = '\0';
}

}  // namespace

// A saved copy of the state on the save/restore stack (runtime heap).
struct ErrorState::Saved {
  ErrorFields fields;
  Saved* link;
};

ErrorState::~ErrorState() { drop_saved(); }

void ErrorState::drop_saved() {
  while (saved_ != nullptr) {
    Saved* top = saved_;
    saved_ = top->link;
    svc::release(top);
  }
}

std::int32_t ErrorState::post(std::int32_t c) { return post(c, {}); }

std::int32_t ErrorState::post(std::int32_t c, std::string_view detail) {
  fields_.system_error = plat::GetLastError();
  std::int32_t code = c == 0 ? err::system_code(fields_.system_error) : c;
  MessageText text = message_of(code);
  fields_.failing_file = nullptr;

  fill_blank(fields_.message, error_message_width);
  std::string_view shown = text.view();
  shown.remove_prefix(std::min(shown.find_first_not_of(' '), shown.size()));
  shown = shown.substr(0, error_message_width - 1);
  std::memcpy(fields_.message, shown.data(), shown.size());
  std::size_t room = error_message_width - 1 - shown.size();
  if (!detail.empty())  // an empty view may carry a null pointer
    std::memcpy(fields_.message + shown.size(), detail.data(), std::min(room, detail.size()));

  fields_.code = code;
  // Taken again: looking the message up may have touched the system's value.
  fields_.system_error = plat::GetLastError();
  changed();
  return code;
}

void ErrorState::note_failing_file(FailingFile file) {
  fields_.failing_file = file;
  keep_clear_flag();
}

void ErrorState::clear() {
  fields_.code = err::none;
  fields_.failing_file = nullptr;
  clear_text(fields_.message, error_message_width);
  clear_text(fields_.file_error_message, file_error_message_width);
  clear_text(fields_.file_error_code, file_error_code_width);
  changed();
}

void ErrorState::save() {
  auto* copy = static_cast<Saved*>(svc::allocate(sizeof(Saved)));
  if (copy == nullptr) {
    // Nothing to pop later: the matching restore must leave the state alone
    // instead of popping an older caller's copy.
    ++lost_saves_;
    return;
  }
  copy->fields = fields_;
  copy->link = saved_;
  saved_ = copy;
}

void ErrorState::restore() {
  if (lost_saves_ > 0) {
    --lost_saves_;
    return;
  }
  if (saved_ == nullptr) return;
  Saved* top = saved_;
  fields_ = top->fields;
  keep_clear_flag();
  saved_ = top->link;
  svc::release(top);
}

MessageText ErrorState::message_of(std::int32_t c) const {
  if (c == err::none) c = err::unknown_error_posted;
  MessageText out;
  std::string_view text;
  if ((override_ != nullptr && override_(c, &text)) || (text = table_message(c)).data() != nullptr) {
    append(out, text);
    return out;
  }
  // No text of its own: the text of 81, then " : " and the code.
  if (override_ == nullptr || !override_(err::unknown_error_posted, &text)) {
    text = table_message(err::unknown_error_posted);
  }
  append(out, text);
  char number[16];
  int length = std::snprintf(number, sizeof number, " : %d", static_cast<int>(c));
  append(out, std::string_view(number, static_cast<std::size_t>(length)));
  return out;
}

void ErrorState::keep_clear_flag() {
  clear_ = fields_.code == err::none && fields_.failing_file == nullptr;
}

void ErrorState::changed() {
  keep_clear_flag();
  if (change_hook_ != nullptr) change_hook_(*this);
}

void ErrorState::reset() {
  drop_saved();
  lost_saves_ = 0;
  fields_ = ErrorFields();
  keep_clear_flag();
  override_ = nullptr;
  change_hook_ = nullptr;
}

constinit ErrorState detail::g_error_state;

}  // namespace svc
