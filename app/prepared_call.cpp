#include "app/prepared_call.h"

#include "app/argument_text.h"
#include "app/main_procedure.h"
#include "app/message_output.h"
#include "app/program_data.h"
#include "app/work_folder.h"
#include "runtime/string_stack.h"
#include "runtime/string_value.h"
#include "services/error_state.h"

namespace app {

namespace {

void append_all(ProgramQueue& queue, const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    rt::assign_string(queue.field(), queue.field_size(), entry.data(), static_cast<uint32_t>(entry.size()));
    queue.append();
  }
}

}  // namespace

void RunPreparedCall(const PreparedCall& call) {
  ProgramData& data = program_data();
  set_argument_charset(ArgumentCharset::utf8);
  // The body is read through before the work directory is held: a pipe
  // whose writer is slow must not keep other runs out of the folder.
  if (!open_body(call.body)) return;
  if (!prepare_body(call.body)) return;
  if (!PrepareWorkDirectory()) return;
  append_all(data.file_names, call.file_names);
  // The first argument ends on top, as when the evaluator calls the procedure.
  rt::StringStack& stack = rt::string_stack();
  for (size_t i = call.arguments.size(); i-- > 0;)
    stack.push_borrowed(call.arguments[i].data(), static_cast<uint32_t>(call.arguments[i].size()));
  svc::error_state().clear();
  write_message_to_standard_output(call.to_standard_output);
  set_header_fields(call.header_fields);
  MakeEMLAttachmentFileSW();
  release_body();
}

}  // namespace app
