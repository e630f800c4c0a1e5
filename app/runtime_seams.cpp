#include "app/runtime_seams.h"

#include "app/program_resources.h"

#include "drivers/ascii_driver.h"
#include "drivers/dos_driver.h"
#include "evaluator/evaluate.h"
#include "runtime/command_line.h"
#include "runtime/directory.h"
#include "runtime/string_stack.h"
#include "ui/window_object.h"

namespace app::seam {

drv::DriverEntry ascii_driver() { return &drv::ascii_driver; }
drv::DriverEntry dos_driver() { return &drv::dos_driver; }

void push_argument_text() {
  rt::string_stack().push_empty();
  rt::command_line_query();
}

void push_current_directory_long_form() {
  // An empty path stands for the current directory.
  rt::string_stack().push_empty();
  rt::short_path();
  rt::long_path();
}

void push_scope(bool keep_outer_names) { eval::PUSHSCOPE(keep_outer_names ? 1 : 0); }
void pop_scope() { eval::POPSCOPE(); }

void bind_procedure(const char* name, BoundProcedure procedure, int32_t argument_count, int32_t result_type) {
  rt::string_stack().push_cstring(name);
  eval::BIND(procedure, argument_count, result_type);
}

void evaluate(const char* text, uint32_t length) {
  rt::string_stack().push_borrowed(text, length);
  eval::EVALUATE();
}

ui::WindowObject* prepare_frame() {
  return ui::open_window_structure(program_module_name, frame_window_name, nullptr);
}

void release_frame(ui::WindowObject* frame) { ui::close_window(frame); }

}  // namespace app::seam
