#include "app/runtime_seams.h"

#include "drivers/error_state.h"
#include "evaluator/names_table.h"
#include "platform/file.h"
#include "platform/path.h"
#include "runtime/command_line.h"
#include "runtime/string_stack.h"

namespace app::seam {

drv::DriverEntry ascii_driver() { return nullptr; }
drv::DriverEntry dos_driver() { return nullptr; }

void push_argument_text() {
  rt::string_stack().push_empty();
  rt::command_line_query();
}

void push_current_directory_long_form() {
  char folder[plat::MAX_PATH + 1] = {};
  const plat::DWORD n = plat::GetCurrentDirectoryA(sizeof folder, folder);
  rt::string_stack().push_borrowed(folder, n < sizeof folder ? n : 0);
  rt::string_stack().make_top_stable();
}

int create_directory(const char* path) { return plat::CreateDirectoryA(path, nullptr) ? 0 : -1; }

void push_scope(bool keep_outer_names) { eval::names().push_scope(keep_outer_names); }
void pop_scope() { eval::names().pop_scope(); }

void bind_procedure(const char* name, BoundProcedure procedure, int32_t argument_count, int32_t result_type) {
  eval::names().bind_procedure(name, std::char_traits<char>::length(name), procedure,
                               static_cast<uint32_t>(argument_count), result_type);
}

void evaluate(const char*, uint32_t) {
  drv::error_state().post(drv::err::invalid_expression);
  rt::string_stack().push_empty();
}

void prepare_frame() {}
void release_frame() {}

}  // namespace app::seam
