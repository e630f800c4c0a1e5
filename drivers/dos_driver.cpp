#include "drivers/dos_driver.h"

#include <cstring>

#include "drivers/common_operations.h"
#include "drivers/dispatch.h"
#include "drivers/operation_codes.h"
#include "drivers/record_file.h"
#include "drivers/record_statements.h"
#include "runtime/record_descriptor.h"
#include "services/error_state.h"
#include "services/heap.h"

namespace drv {
namespace {

int32_t raw_setup(FileInstance& f) {
  DriverPart& p = f.part;
  uint32_t size = f.record_length ? f.record_length : 1;
  if (f.attributes & kInstOem) {
    p.conversion = static_cast<unsigned char*>(svc::allocate(size));
    if (!p.conversion) return svc::err::insufficient_memory;
  }
  p.cleared = static_cast<unsigned char*>(svc::allocate(size));
  if (!p.cleared) return svc::err::insufficient_memory;
  clear_record(f.fields, p.cleared, f.record_length);
  return 0;
}

void raw_option(FileInstance& f, const char* text, uint32_t length, Operation& op) {
  shared_option(f, text, length, op);
}

// Reads up to n bytes at byte p; a short last record leaves the rest cleared.
int32_t read_record(FileInstance& f, uint32_t p, uint32_t n) {
  DriverPart& part = f.part;
  part.flags &= uint16_t(~kPartRecordCurrent);
  if (int32_t error = check_read_position(f, p); error != 0) return error;
  uint32_t L = f.record_length;
  if (n == 0 || n > L) n = L;
  int32_t count = part.file->read_at(f.record, n, p);
  if (count < 0) {
    std::memcpy(f.record, part.cleared, L);
    return io_failure_code(f);
  }
  if (uint32_t(count) < L) std::memcpy(f.record + count, part.cleared + count, L - count);
  if (f.attributes & kInstOem) record_to_ansi(f.fields, f.record);
  part.record_position = p;
  part.record_bytes = uint32_t(count);
  part.flags |= kPartRecordCurrent;
  return 0;
}

int32_t read_next(FileInstance& f) {
  DriverPart& p = f.part;
  // An empty record would never move on.
  if (f.record_length == 0) return svc::err::record_not_available;
  int32_t error = read_record(f, p.next_position - 1, f.record_length);
  if (error == 0) p.next_position = p.record_position + p.record_bytes + 1;
  return error;
}

int32_t read_previous(FileInstance& f) {
  DriverPart& p = f.part;
  int64_t next = p.next_position;
  if (f.last_sequential == OP_SETfile) {
    if (!refresh_file_size(f)) return io_failure_code(f);
    next = int64_t(p.file_size) - f.record_length + 1;
  } else if (f.last_sequential == OP_NEXT || f.last_sequential == OP_PREVIOUS) {
    next = int64_t(p.record_position) - f.record_length + 1;
  }
  if (next < 1) {
    p.flags &= uint16_t(~kPartRecordCurrent);
    return svc::err::record_not_available;
  }
  p.next_position = uint32_t(next);
  int32_t error = read_record(f, uint32_t(next - 1), f.record_length);
  if (error == 0) p.next_position = p.record_position + 1;
  return error;
}

int32_t read_at_pointer(FileInstance& f, uint32_t pointer, uint32_t length) {
  return pointer == 0 ? 0 : read_record(f, pointer - 1, length);
}

int32_t write_record(FileInstance& f, Operation& op) {
  WritePlan plan;
  if (int32_t error = plan_write(f, op, plan); error != 0) return error;
  DriverPart& p = f.part;
  int32_t error = 0;
  if (p.file->seek(plan.position) != 0) {
    error = svc::err::access_denied;
  } else if (plan.length == 0) {
    error = cut_at(f, plan.position);
  } else if (p.file->write(record_to_write(f), plan.length) != int32_t(plan.length)) {
    error = svc::err::access_denied;
  } else {
    finish_write(f, plan, plan.length);
  }
  end_shared_write(f);
  return error;
}

int32_t at_end(FileInstance& f) {
  DriverPart& p = f.part;
  unsigned char b = 0;
  if (p.next_position == 0 || p.file->seek(p.next_position - 1) != 0) return 1;
  return p.file->read(&b, 1) == 1 ? 0 : 1;
}

// NEXT of a whole record that the block holds, taken from it with no call:
// read_next's steps for the byte-by-byte reads of a file. False, with
// nothing changed, when the record needs anything more.
[[gnu::always_inline]] inline bool take_next_held(FileInstance& f) {
  DriverPart& p = f.part;
  uint32_t L = f.record_length, at = p.next_position - 1;
  if (L == 0 || (f.attributes & kInstOem) ||
      (p.flags & (kPartShared | kPartQuickscan)) == kPartShared || at >= p.file_size)
    return false;
  const unsigned char* held = p.file->take_held(L, at);
  if (!held) return false;
  if (L == 1) f.record[0] = held[0];
  else std::memcpy(f.record, held, L);
  p.record_position = at;
  p.record_bytes = L;
  p.flags |= kPartRecordCurrent;
  p.next_position = at + L + 1;
  return true;
}

int32_t raw_next(FileInstance& f, Operation&) { return take_next_held(f) ? 0 : read_next(f); }

// take_next_held for a one-byte record, the way the program reads files: no
// copy routine to call.
bool take_next_byte(FileInstance& f) { return f.record_length == 1 && take_next_held(f); }

int32_t raw_previous(FileInstance& f, Operation&) { return read_previous(f); }

int32_t raw_get(FileInstance& f, Operation& op) {
  uint32_t length = op.code == OP_GETfileptrlen ? uint32_t(op.number(1)) : 0;
  return read_at_pointer(f, uint32_t(op.number(0)), length);
}

int32_t raw_reget(FileInstance& f, Operation& op) {
  return read_at_pointer(f, position_argument(op), 0);
}

int32_t raw_records(FileInstance& f, Operation& op) {
  if (!refresh_file_size(f)) return io_failure_code(f);
  op.value = f.record_length ? int32_t(f.part.file_size / f.record_length) : 0;
  return 0;
}

int32_t raw_eof(FileInstance& f, Operation& op) { return op.value = at_end(f), 0; }

constexpr RecordHandlers kRawHandlers = make_record_handlers(
    write_record, {{OP_NEXT, raw_next},
                   {OP_PREVIOUS, raw_previous},
                   {OP_GETfileptr, raw_get},
                   {OP_GETfileptrlen, raw_get},
                   {OP_REGETfile, raw_reget},
                   {OP_BYTES, record_bytes_operation},
                   {OP_RECORDSfile, raw_records},
                   {OP_COUNTRECORDS, raw_records},
                   {OP_EOF, raw_eof}});
static_assert(kRawHandlers[OP_NEXT] == raw_next, "the entry's inline NEXT stands for raw_next");

int32_t raw_open(FileInstance& f, uint32_t mode) { return open_record_file(f, mode, raw_setup); }

// Count first, then the codes.
constexpr auto kRawOperations = operation_list(
    kRecordFileOperations, std::array<uint8_t, 2>{OP_PREVIOUS, OP_RECORDSfile});
static_assert(kRawOperations[0] == 36);

constexpr uint8_t kRawFieldTypes[] = {
    18,         rt::FT_BYTE,    rt::FT_SHORT,    rt::FT_USHORT,  rt::FT_DATE,    rt::FT_TIME,    rt::FT_LONG,
    rt::FT_ULONG,   rt::FT_SREAL,   rt::FT_REAL,     rt::FT_DECIMAL, rt::FT_PDECIMAL, rt::FT_BFLOAT4, rt::FT_BFLOAT8,
    rt::FT_STRING,  rt::FT_CSTRING, rt::FT_PSTRING,  rt::FT_GROUP,   rt::FT_ARRAY,
};
static_assert(sizeof kRawFieldTypes == 1 + 18);

const DriverDescriptor kDosDescriptor = {
    "DOS",          {"B5DOS.DLL", "B5DOSS.DLL"}, "DOS (Binary)", dos_driver,
    kRawOperations.data(), kRawFieldTypes,              "BWDOS",        "DOS.LOG",
    raw_open,       close_record_file,           &kRawHandlers,  raw_option,
};

// The post actions of a NEXT that succeeded.
constexpr uint32_t kNextPost = kRuleTable[OP_NEXT].post;
static_assert((kNextPost & kPostDiscard) == 0, "a steady NEXT keeps its instance");

// True when the next one-byte NEXT that the block serves would leave the
// instance as it is now but for the byte and the positions: the quick path
// of NEXT would take it, and its state update, post flags, error, sequence
// and record flags are those it already has.
bool is_steady_for_next(const FileInstance& f) {
  uint32_t state = f.state, post = 0;
  update_state(OP_NEXT, true, state, nullptr, post);
  const DriverPart& p = f.part;
  return f.driver == &kDosDescriptor && !f.trace_on && passes_quickly(OP_NEXT, f.state) &&
         state == f.state && f.post == kNextPost && f.last_error == 0 &&
         f.last_sequential == OP_NEXT && f.record_length == 1 && !(f.attributes & kInstOem) &&
         (p.flags & (kPartShared | kPartQuickscan)) != kPartShared &&
         (p.flags & kPartRecordCurrent) && p.record_bytes == 1 && p.file;
}

// Starts a steady run over the bytes from the next position to the end of
// the block or of the file, whichever comes first; none when the block does
// not hold the next byte.
void begin_steady_run(FileInstance& f) {
  const DriverPart& p = f.part;
  const BufferedFile& block = *p.file;
  uint32_t next = p.next_position - 1;
  uint32_t held = block.held_until(next);
  uint32_t limit = held < p.file_size ? held : p.file_size;
  if (limit <= next) return;
  f.steady_next = block.buffer + (next - block.block_start);
  f.steady_end = block.buffer + (limit - block.block_start);
}

// The instance of a declaration that a steady run may serve: its own, on
// the thread that works on it; null otherwise.
[[gnu::always_inline]] inline FileInstance* own_instance(FileDeclaration* file) {
  return works_on_declared(file) ? file->instance : nullptr;
}

// A NEXT that the steady run does not finish at once. Either the run has
// the byte and only the error state is left to clear, or the NEXT takes
// the full steps, and an instance it leaves steady starts a run.
[[gnu::noinline]] int32_t next_outside_run(FileDeclaration* file, const DriverArg* args) {
  FileInstance* inst = own_instance(file);
  if (inst && inst->steady_next != inst->steady_end) {
    detail::take_steady_byte(*inst);
    return detail::finish_post_actions(file, kNextPost, 0);
  }
  int32_t value = dispatch_known<OP_NEXT, take_next_byte>(kDosDescriptor, file, args);
  inst = own_instance(file);
  if (inst && is_steady_for_next(*inst)) begin_steady_run(*inst);
  return value;
}

}  // namespace

const DriverDescriptor& dos_descriptor() { return kDosDescriptor; }

int32_t dos_driver(int32_t op, FileDeclaration* file, const DriverArg* args) {
  // Files are read byte by byte with NEXT: a run of such reads takes each
  // byte with no more than it changes. Of the steps after it, only the
  // clearing of the error state could change anything, and the state is
  // seldom anything but clear.
  static_assert(kNextPost & kPostClearError);
  if (op == OP_NEXT) [[likely]] {
    FileInstance* inst = detail::steady_instance(file);
    if (!inst) [[unlikely]]
      return next_outside_run(file, args);
    detail::take_steady_byte(*inst);
    return 0;
  }
  return dispatch(kDosDescriptor, op, file, args);
}

}  // namespace drv
