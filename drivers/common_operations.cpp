#include "drivers/common_operations.h"

#include <cstdio>
#include <cstring>

#include "drivers/driver_trace.h"
#include "drivers/file_names.h"
#include "drivers/full_path.h"
#include "drivers/open_files.h"
#include "drivers/operation_codes.h"
#include "drivers/record_file.h"
#include "drivers/rule_table.h"
#include "platform/last_error.h"
#include "runtime/compare.h"
#include "runtime/locale.h"
#include "services/error_state.h"
#include "services/heap.h"

namespace drv {
namespace {

// Replaces the instance's name by its full path: 0, 45 without a name, or
// the expansion error.
int32_t expand_name(FileInstance& f) {
  if (!f.name || !f.name[0]) return svc::err::invalid_filename;
  char full[kFullPathSize];
  // No default extension: a name is the file the caller named, exactly.
  uint32_t error = expand_full_path(f.name, "", full);
  if (error != 0) return code_of_system_error(error);
  uint32_t length = uint32_t(std::strlen(full));
  auto* copy = static_cast<char*>(svc::allocate(length + 1));
  if (!copy) return svc::err::insufficient_memory;
  std::memcpy(copy, full, length + 1);
  svc::release(f.name);
  f.name = copy;
  return 0;
}

int32_t open_file(FileInstance& f, Operation& op) {
  uint32_t mode = uint32_t(op.number(0)) & 0xFF;
  int32_t error = expand_name(f);
  if (error == 0) error = f.driver->open(f, mode);
  if (error != 0) {
    f.driver->close(f);
    f.post |= kPostDiscard;
    return error;
  }
  f.open_mode = mode;
  f.state = (mode & 0x30) ? (f.state | kExclusive) : (f.state & ~kExclusive);
  f.state = (mode % 4) ? (f.state | kWriteAccess) : (f.state & ~kWriteAccess);
  enter_file_in_use(f.declaration);
  return 0;
}

int32_t create_file(FileInstance& f) {
  if (!(f.attributes & kInstCreate)) return svc::err::no_create_attribute;
  if (int32_t error = expand_name(f); error != 0) return error;
  BufferedFile file{};
  return code_of_system_error(file.create(f.name, 0));
}

int32_t remove_instance_file(FileInstance& f) {
  int32_t error = expand_name(f);
  return error != 0 ? error : remove_file(f.name);
}

void answer_name(FileInstance& f, Operation& op) {
  if (f.state & kOpen) {
    op.answer_text(f.name, uint32_t(std::strlen(f.name)));
    return;
  }
  const FileDeclaration* d = f.declaration;
  DeclaredText t = declared_text(d->name, d->name_length);
  if (t.text) op.answer_text(t.text, t.length);
}

// The current record's byte offset plus 1, or 0 without a current record.
uint32_t current_pointer(const FileInstance& f) {
  return (f.part.flags & kPartRecordCurrent) ? f.part.record_position + 1 : 0;
}

// POSITIONfile: the pointer as 4 bytes, least significant first.
void answer_position(const FileInstance& f, Operation& op) {
  uint32_t pointer = current_pointer(f);
  for (int i = 0; i < 4; ++i) op.answer[i] = char(pointer >> (8 * i));
  op.answer_text(op.answer, 4);
}

void set_next_position(FileInstance& f, uint32_t pointer) {
  f.part.next_position = pointer == 0 ? 1 : pointer;
}

// One attempt at the file lock, a lock held elsewhere read as code 32.
uint32_t try_lock(FileInstance& f) {
  uint32_t error = lock_once(f);
  return error == plat::ERROR_LOCK_VIOLATION ? plat::ERROR_SHARING_VIOLATION : error;
}

int32_t lock_file(FileInstance& f, Operation& op) {
  uint32_t error = try_lock(f);
  if (op.code == OP_LOCKfile) {
    while (error == plat::ERROR_SHARING_VIOLATION) error = try_lock(f);
    return int32_t(error);
  }
  uint32_t deadline = centiseconds() + uint32_t(op.number(0)) * 100;
  while (error != 0 && int32_t(deadline - centiseconds()) > 0) {
    for (uint32_t waited = centiseconds(); centiseconds() - waited < 100;) {
    }
    error = try_lock(f);
  }
  return int32_t(error);
}

int32_t empty_file(FileInstance& f) {
  if (f.part.file->cut(0) != 0) return svc::err::access_denied;
  f.part.file_size = 0;
  f.part.flags &= uint16_t(~kPartRecordCurrent);
  return 0;
}

int32_t flush_file(FileInstance& f) {
  BufferedFile& file = *f.part.file;
  return file.flush() == 0 && file.commit() == 0 ? 0 : svc::err::access_denied;
}

int32_t send_option(FileInstance& f, Operation& op) {
  const rt::HeapString& s = op.strings[0];
  uint32_t length = s.length;
  while (length > 0 && s.text[length - 1] == ' ') --length;
  if (rt::collate_texts(s.text, length, "REGISTER", 8) == 0) {
    if (!(f.state & (kOpen | kSettingsKept))) f.post |= kPostDiscard;
    int n = std::snprintf(op.answer, kAnswerSize, "%lu",
                          static_cast<unsigned long>(reinterpret_cast<uintptr_t>(f.driver)));
    op.answer_text(op.answer, uint32_t(n));
    return 0;
  }
  char text[kAnswerSize];
  uint32_t n = normalise_option(s.text, length, text, sizeof text);
  op.answer_text(op.answer, 0);
  f.driver->option(f, text, n, op);
  return 0;
}

}  // namespace

int32_t code_of_system_error(uint32_t error) {
  return error == plat::ERROR_SEEK ? svc::err::system_code(error) : int32_t(error);
}

uint32_t normalise_option(const char* text, uint32_t length, char* out, uint32_t size) {
  uint32_t n = 0;
  const rt::Locale& locale = rt::locale();
  for (uint32_t i = 0; i < length && n < size; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == ' ' || (c >= 9 && c <= 13)) continue;
    out[n++] = char(locale.to_upper(c));
  }
  return n;
}

bool read_file_size(FileInstance& f) {
  DriverPart& p = f.part;
  uint32_t size = p.file->size();
  if (p.file->last_error != 0) return false;
  p.file_size = size;
  return true;
}

uint32_t lock_once(FileInstance& f) {
  DriverPart& p = f.part;
  if (p.lock_depth == 0) {
    uint32_t error = p.file->lock(0, 1);
    if (error != 0) return error;
  }
  ++p.lock_depth;
  return 0;
}

void unlock_once(FileInstance& f) {
  DriverPart& p = f.part;
  if (p.lock_depth == 0) return;
  if (--p.lock_depth == 0) p.file->unlock(0, 1);
}

int32_t begin_shared_write(FileInstance& f) {
  if (!(f.part.flags & kPartShared)) return 0;
  return lock_once(f) == 0 ? 0 : svc::err::access_denied;
}

void end_shared_write(FileInstance& f) {
  if (f.part.flags & kPartShared) unlock_once(f);
}

int32_t perform_operation(FileInstance& f, Operation& op) {
  switch (op.code) {
    case OP_OPEN:
    case OP_SHARE: return open_file(f, op);
    case OP_CREATE: return create_file(f);
    case OP_CLOSE: return f.driver->close(f);
    case OP_REMOVE: return remove_instance_file(f);
    case OP_RENAME:
      return rename_file(f.name ? f.name : "", op.strings[0].text, op.strings[0].length);
    case OP_COPY: return copy_file(f.name ? f.name : "", op.strings[0].text, op.strings[0].length);
    case OP_NAME: return answer_name(f, op), 0;
    case OP_SETfile: return set_next_position(f, 1), 0;
    case OP_SETfileptr: return set_next_position(f, uint32_t(op.number(0))), 0;
    case OP_RESETfile: return set_next_position(f, position_argument(op)), 0;
    case OP_POINTERfile: return op.value = int32_t(current_pointer(f)), 0;
    case OP_POSITIONfile: return answer_position(f, op), 0;
    case OP_LOCKfile:
    case OP_LOCKfilesec: return lock_file(f, op);
    case OP_UNLOCK: return unlock_once(f), 0;
    case OP_EMPTY: return empty_file(f);
    case OP_FLUSH: return flush_file(f);
    case OP_SEND: return send_option(f, op);
    case OP_INVIEW:
    case OP_ENDVIEW:
    case OP_SET_PROPERTY: return 0;
    case OP_GET_PROPERTY: return op.answer_text(op.answer, 0), 0;
    case OP_CLEAR: return clear_record(f.fields, f.record, f.record_length), 0;
    case OP_DRIVER_ENTRY:
      op.value = int32_t(reinterpret_cast<uintptr_t>(f.driver->entry));
      return 0;
    default: return svc::err::unsupported_driver_function;
  }
}

}  // namespace drv
