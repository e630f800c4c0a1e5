#include "drivers/file_declaration.h"

#include <cstring>

#include "drivers/driver_interface.h"
#include "drivers/file_names.h"
#include "drivers/operation_codes.h"
#include "runtime/string_ops.h"
#include "runtime/string_stack.h"
#include "services/error_state.h"

namespace drv {
namespace {

FileDeclaration* statement(FileDeclaration* file, int32_t code, const DriverArg* args = nullptr) {
  file->driver(code, file, args);
  return file;
}

// Pops a name into a C string of at most 259 bytes, trailing spaces cut.
void pop_name(char* out, uint32_t size) {
  rt::string_stack().pop_into_cstring(out, size);
  for (size_t n = std::strlen(out); n > 0 && out[n - 1] == ' ';) out[--n] = 0;
}

void post_outcome(int32_t code) {
  if (code != 0) svc::error_state().post(code);
  else svc::error_state().clear();
}

}  // namespace

DeclaredText declared_text(const char* text, int32_t length) {
  if (!text) return {nullptr, 0};
  if (length == kNulTerminated) return {text, uint32_t(std::strlen(text))};
  if (length == kLengthPrefixed) return {text + 1, static_cast<unsigned char>(text[0])};
  return {text, length > 0 ? uint32_t(length) : 0};
}

DeclaredText trimmed_text(const char* text, int32_t length) {
  DeclaredText t = declared_text(text, length);
  if (length > 0) t.length = rt::clipped_length(t.text, t.length);
  return t;
}

FileDeclaration* OPEN(FileDeclaration* file, int32_t mode) {
  DriverArg arg{mode};
  return statement(file, OP_OPEN, &arg);
}
FileDeclaration* SHARE(FileDeclaration* file, int32_t mode) {
  DriverArg arg{mode};
  return statement(file, OP_SHARE, &arg);
}
FileDeclaration* CREATE(FileDeclaration* file) { return statement(file, OP_CREATE); }
FileDeclaration* CLOSE(FileDeclaration* file) { return statement(file, OP_CLOSE); }
FileDeclaration* REMOVE(FileDeclaration* file) { return statement(file, OP_REMOVE); }
FileDeclaration* SET(FileDeclaration* file) { return statement(file, OP_SETfile); }
FileDeclaration* COMMIT(FileDeclaration* file) { return statement(file, OP_COMMIT); }
FileDeclaration* ROLLBACK(FileDeclaration* file) { return statement(file, OP_ROLLBACK); }
FileDeclaration* UNLOCK(FileDeclaration* file) { return statement(file, OP_UNLOCK); }
FileDeclaration* SEND(FileDeclaration* file, std::string_view option) {
  rt::string_stack().push_borrowed(option.data(), static_cast<uint32_t>(option.size()));
  statement(file, OP_SEND);
  rt::string_stack().discard();
  return file;
}
FileDeclaration* BUILDevent(FileDeclaration* file) { return statement(file, OP_BUILDevent); }
FileDeclaration* SET_PROPERTY(FileDeclaration* file) { return statement(file, OP_SET_PROPERTY); }
FileDeclaration* GET_PROPERTY(FileDeclaration* file) { return statement(file, OP_GET_PROPERTY); }
FileDeclaration* COUNTRECORDS(FileDeclaration* file) { return statement(file, OP_COUNTRECORDS); }

void REMOVE() {
  char name[260];
  pop_name(name, sizeof name);
  post_outcome(remove_file(name));
}

void COPY() {
  char source[260], destination[260];
  pop_name(source, sizeof source);
  pop_name(destination, sizeof destination);
  post_outcome(copy_file(source, destination, uint32_t(std::strlen(destination))));
}

}  // namespace drv
