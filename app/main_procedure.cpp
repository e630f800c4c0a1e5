#include "app/main_procedure.h"

#include <cstring>

#include "app/call_checks.h"
#include "app/call_message.h"
#include "app/composer.h"
#include "app/program_data.h"
#include "app/run_outcome.h"
#include "app/runtime_seams.h"
#include "app/work_folder.h"
#include "runtime/string_ops.h"
#include "runtime/string_stack.h"
#include "runtime/string_value.h"
#include "services/error_state.h"
#include "services/heap.h"

namespace app {

namespace {

constexpr const char* kProcedureName = "MakeEMLAttachmentFileSW";
constexpr int32_t kProcedureArguments = 13;
constexpr int32_t kIntegerResult = rt::TYPE_LONG;  // the result type: a number
constexpr int32_t kLeadingNumberReach = 100;

int32_t find_delimiter(const char* command_text, char delimiter, int32_t start) {
  return rt::instring_text(&delimiter, 1, command_text, kCommandTextSize, 1, start);
}

// Whether the text names the procedure at all, in any letter case: one
// that does not cannot call it, whatever else it holds.
bool names_procedure(std::string_view text) {
  const std::string_view name = kProcedureName;
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (size_t at = 0; at + name.size() <= text.size(); ++at) {
    size_t i = 0;
    while (i < name.size() && lower(text[at + i]) == lower(name[i])) ++i;
    if (i == name.size()) return true;
  }
  return false;
}

// Which arguments (from 0) the procedure converts to numbers.
constexpr bool kNumericArgument[kProcedureArguments] = {false, true,  false, false, true,  false, true,
                                                        true,  false, false, false, false, false};

}  // namespace

int32_t split_delimited(const char* command_text, char delimiter, ProgramQueue& queue, MainLocals& locals) {
  // Each delimiter closes one text and opens the next, so successive
  // delimiters enclose successive entries.
  locals.current = find_delimiter(command_text, delimiter, 1);
  const int32_t first = locals.current;
  while (locals.current != 0) {
    locals.next = find_delimiter(command_text, delimiter, locals.current + 1);
    if (locals.next == 0) break;
    rt::assign_string(queue.field(), queue.field_size(), command_text + locals.current,
                      static_cast<uint32_t>(locals.next - locals.current - 1));
    queue.append();
    locals.current = locals.next;
  }
  locals.current = 0;
  locals.next = 0;
  return first;
}

void strip_leading_number(char* command_text, MainLocals& locals) {
  rt::StringStack& stack = rt::string_stack();
  for (locals.index = 1; locals.index <= kLeadingNumberReach; ++locals.index) {
    char& c = command_text[locals.index - 1];
    if (c != ' ') {
      stack.push_borrowed(&c, 1);
      if (!rt::numeric()) break;
    }
    c = ' ';
  }
}

void ProcessCommandLine(char* command_text, MainLocals& locals) {
  ProgramData& data = program_data();
  rt::StringStack& stack = rt::string_stack();
  RunOutcome& outcome = run_outcome();
  seam::push_argument_text();
  // A longer text would lose its tail (attachments, body lines, even the end
  // of the call) without a word: it is refused before anything is made.
  if (const uint32_t length = stack.peek().length; length > kCommandTextSize) {
    stack.discard();
    outcome.command_line_length = length;
    return;
  }
  if (!PrepareWorkDirectory()) return;
  stack.pop_into_string(command_text, kCommandTextSize);
  locals.first_line = split_delimited(command_text, kLineDelimiter, data.body_lines, locals);
  locals.first_file = split_delimited(command_text, kFileDelimiter, data.file_names, locals);
  // The call text is what stands before the first delimiter of either kind
  // (body lines come first when both are present).
  const int32_t cut = locals.first_line != 0 ? locals.first_line : locals.first_file;
  if (cut != 0) rt::fill_spaces(command_text + cut - 1, kCommandTextSize - static_cast<uint32_t>(cut - 1));
  seam::bind_procedure(kProcedureName, &MakeEMLAttachmentFileSW, kProcedureArguments, kIntegerResult);
  strip_leading_number(command_text, locals);
  stack.push_borrowed(command_text, kCommandTextSize);
  rt::clip();
  rt::left();
  stack.pop_into_string(command_text, kCommandTextSize);
  const std::string_view call = clipped(command_text, kCommandTextSize);
  outcome.call_text_blank = call.empty();
  outcome.call_text_names_procedure = names_procedure(call);
  svc::error_state().clear();
  seam::evaluate(call.data(), static_cast<uint32_t>(call.size()));
  stack.pop_into_string(locals.result, sizeof locals.result);
  if (!outcome.composer_called) outcome.evaluation_error = svc::error_state().code();
}

void Main() {
  auto* command_text = static_cast<char*>(svc::allocate(kCommandTextSize));
  auto* locals = static_cast<MainLocals*>(svc::allocate_zeroed(1, sizeof(MainLocals)));
  if (command_text == nullptr || locals == nullptr) {
    // The run's outcome tells of the memory that ran out.
    svc::release(command_text);
    svc::release(locals);
    return;
  }
  rt::fill_spaces(command_text, kCommandTextSize);
  ui::WindowObject* frame = seam::prepare_frame();
  rt::fill_spaces(locals->result, sizeof locals->result);
  seam::push_scope(false);
  ProcessCommandLine(command_text, *locals);
  seam::pop_scope();
  svc::release(locals);
  seam::release_frame(frame);
  svc::release(command_text);
}

int32_t MakeEMLAttachmentFileSW() {
  rt::StringStack& stack = rt::string_stack();
  rt::HeapString text[kProcedureArguments];
  int32_t number[kProcedureArguments] = {};
  for (int i = 0; i < kProcedureArguments; ++i) {
    if (kNumericArgument[i])
      number[i] = rt::pop_integer();
    else
      text[i] = stack.pop_into_heap();
  }
  auto view = [&text](int i) { return std::string_view(text[i].text ? text[i].text : "", text[i].length); };
  MessageArguments args;
  args.message_file = view(0);
  args.unused = number[1];
  args.to_list = view(2);
  args.subject = view(3);
  args.back_color = number[4];
  args.font_face = view(5);
  args.font_color = number[6];
  args.font_size = static_cast<uint8_t>(number[7] & 0xFF);
  args.cc_list = view(8);
  args.bcc_list = view(9);
  args.sound_file = view(10);
  args.sound_loop = view(11);
  args.priority = view(12);
  RunOutcome& outcome = run_outcome();
  outcome.composer_called = true;
  if (call_may_run(args)) {
    mime::Message named;
    build_call_message(args, CallFiles::named, named);
    if (call_files_fit(args, named)) outcome.composer_result = MakeEMLAttachmentFile(args);
  }
  for (rt::HeapString& s : text) rt::release_heap_string(s);
  return outcome.composer_result;
}

}  // namespace app
