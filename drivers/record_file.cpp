#include "drivers/record_file.h"

#include <cstdio>
#include <cstring>

#include "drivers/common_operations.h"
#include "drivers/operation_codes.h"
#include "drivers/rule_table.h"
#include "platform/last_error.h"
#include "services/error_state.h"
#include "services/heap.h"

namespace drv {
namespace {

constexpr int64_t kMaxFileBuffers = 8388607;  // more would pass 32 bits in bytes

uint32_t default_buffer_size(const FileInstance& f, uint32_t mode) {
  uint64_t size = (mode & 0x30) ? 1024 : 512;
  uint64_t twice = uint64_t(f.record_length) * 2;
  if (twice > size) size = twice;
  return size > 0x7FFFFFFFu ? 0 : uint32_t(size);
}

// The smallest block that still holds a whole record and its line end.
uint32_t smallest_buffer(const FileInstance& f) {
  return f.record_length + f.part.line_end_length;
}

// Lends a new block of `size` bytes; the old one is freed. 0 or 8.
int32_t replace_block(FileInstance& f, uint32_t size) {
  DriverPart& p = f.part;
  auto* block = static_cast<unsigned char*>(svc::allocate(size));
  if (!block) return svc::err::insufficient_memory;
  if (p.file) {
    int buffering = (p.flags & kPartQuickscan) ? kBufferingSwitchOn : kBufferingSwitchOff;
    if (p.file->lend_buffer(block, size, buffering) != 0) {
      svc::release(block);
      return svc::err::access_denied;
    }
  }
  svc::release(p.block);
  p.block = block;
  p.buffer_size = size;
  return 0;
}

void apply_driver_string(FileInstance& f) {
  const char* s = f.driver_string;
  if (!s) return;
  Operation op;
  op.code = OP_SEND;  // each option is handled as if sent
  op.args = nullptr;
  char text[kAnswerSize];
  while ((s = std::strchr(s, '/')) != nullptr) {
    const char* start = ++s;
    while (*s && *s != '/') ++s;
    op.has_text = false;
    uint32_t n = normalise_option(start, uint32_t(s - start), text, sizeof text);
    f.driver->option(f, text, n, op);
  }
}

void option_filebuffers(FileInstance& f, const char* value, uint32_t length, Operation& op) {
  answer_number(op, f.part.buffer_size);
  if (!value) return;
  int64_t count = option_number(value, length, false);
  if (count > kMaxFileBuffers) return;  // the byte size would pass 32 bits: no change
  uint32_t size = uint32_t(count) * 512;
  if (size < smallest_buffer(f)) size = smallest_buffer(f);
  if (size == 0) size = 512;
  replace_block(f, size);
}

void option_quickscan(FileInstance& f, const char* value, uint32_t length, Operation& op) {
  DriverPart& p = f.part;
  bool on = (p.flags & kPartQuickscan) != 0;
  answer_on_off(op, on);
  if (!value) return;
  bool want_on = value_is(value, length, "ON");
  if (!want_on && !value_is(value, length, "OFF")) return;
  if (want_on == on) return;
  if (p.file && p.block &&
      p.file->lend_buffer(p.block, p.buffer_size,
                          want_on ? kBufferingSwitchOn : kBufferingSwitchOff) != 0)
    return;
  p.flags = want_on ? uint16_t(p.flags | kPartQuickscan) : uint16_t(p.flags & ~kPartQuickscan);
}

}  // namespace

int32_t open_record_file(FileInstance& f, uint32_t mode, OpenSetup setup) {
  DriverPart& p = f.part;
  if (!p.file) {
    p.file = static_cast<BufferedFile*>(svc::allocate_zeroed(1, sizeof(BufferedFile)));
    if (!p.file) return svc::err::insufficient_memory;
  }
  uint32_t error = p.file->open(f.name, mode);
  if (error != 0) return code_of_system_error(error);
  p.file_size = p.file->size();
  if (p.file->last_error != 0) return code_of_system_error(p.file->last_error);
  p.flags = uint16_t(p.flags & kPartCtrlZIsData);
  p.lock_depth = 0;
  p.record_position = p.record_bytes = p.next_position = 0;
  p.ctrlz_looked = 0;
  if (int32_t e = setup(f); e != 0) return e;
  if (mode & 0x30) p.flags |= kPartQuickscan;
  uint32_t size = default_buffer_size(f, mode);
  if (size == 0) return svc::err::insufficient_memory;
  if (int32_t e = replace_block(f, size); e != 0) return e;
  apply_driver_string(f);
  if ((mode & 3) == 0) p.flags |= kPartReadOnly;
  if ((mode & 0xF0) == 0x40) p.flags |= kPartShared;
  return 0;
}

// A file open for writing is closed well only when its bytes are on the disk:
// a failed commit or close fails as a failed flush does, and the system error
// of the first failure stays the last error for the post.
int32_t close_record_file(FileInstance& f) {
  DriverPart& p = f.part;
  int32_t result = 0;
  uint32_t system_error = 0;
  const bool written = p.file && (p.file->mode & 3) != 0;  // opened for writing
  auto check = [&](uint32_t error, bool counts) {
    if (error == 0 || !counts || result != 0) return;
    result = svc::err::access_denied;
    system_error = error;
  };
  if (p.file) {
    if (p.file->handle) {
      check(p.file->flush(), true);
      check(p.file->commit(), written);
    }
    check(p.file->close(), written);
    svc::release(p.file);
  }
  svc::release(p.block);
  svc::release(p.line_end);
  svc::release(p.conversion);
  svc::release(p.cleared);
  uint16_t kept = uint16_t(p.flags & kPartCtrlZIsData);
  p = DriverPart{};
  p.flags = kept;
  if (system_error != 0) plat::SetLastError(system_error);
  return result;
}

bool option_named(const char* text, uint32_t length, const char* name, const char*& value,
                  uint32_t& value_length) {
  uint32_t n = uint32_t(std::strlen(name));
  if (length < n || std::memcmp(text, name, n) != 0) return false;
  value = nullptr;
  value_length = 0;
  if (length > n && text[n] == '=') {
    value = text + n + 1;
    value_length = length - n - 1;
  }
  return true;
}

int64_t option_number(const char* value, uint32_t length, bool signed_value) {
  uint32_t i = 0;
  while (i < length && !(value[i] >= '0' && value[i] <= '9') && !(signed_value && value[i] == '-'))
    ++i;
  bool negative = i < length && value[i] == '-';
  if (negative) ++i;
  int64_t n = 0;
  for (; i < length && value[i] >= '0' && value[i] <= '9'; ++i)
    if (n < (int64_t(1) << 40)) n = n * 10 + (value[i] - '0');
  return negative ? -n : n;
}

bool value_is(const char* value, uint32_t length, const char* word) {
  return length == std::strlen(word) && std::memcmp(value, word, length) == 0;
}

void answer_on_off(Operation& op, bool on) { op.answer_copy(on ? "ON" : "OFF", on ? 2 : 3); }

void answer_number(Operation& op, int64_t n) {
  int length = std::snprintf(op.answer, kAnswerSize, "%lld", static_cast<long long>(n));
  op.answer_text(op.answer, uint32_t(length));
}

bool shared_option(FileInstance& f, const char* text, uint32_t length, Operation& op) {
  const char* value = nullptr;
  uint32_t value_length = 0;
  if (option_named(text, length, "FILEBUFFERS", value, value_length)) {
    option_filebuffers(f, value, value_length, op);
    return true;
  }
  if (option_named(text, length, "QUICKSCAN", value, value_length)) {
    option_quickscan(f, value, value_length, op);
    return true;
  }
  return false;
}

int32_t record_bytes_operation(FileInstance& f, Operation& op) {
  DriverPart& p = f.part;
  if (!(p.flags & kPartRecordCurrent) && !refresh_file_size(f)) return io_failure_code(f);
  op.value = int32_t((p.flags & kPartRecordCurrent) ? p.record_bytes : p.file_size);
  return 0;
}

uint32_t position_argument(const Operation& op) {
  const rt::HeapString& s = op.strings[0];
  uint32_t pointer = 0;
  for (uint32_t i = 0; i < 4 && i < s.length; ++i)
    pointer |= uint32_t(static_cast<unsigned char>(s.text[i])) << (8 * i);
  return pointer;
}

int32_t io_failure_code(const FileInstance& f) {
  uint32_t e = f.part.file->last_error;
  if (e >= plat::ERROR_FILE_NOT_FOUND && e <= plat::ERROR_ACCESS_DENIED) return int32_t(e);
  return e != 0 && e < svc::err::system_error_limit ? svc::err::system_code(e) : svc::err::access_denied;
}

int32_t plan_write(FileInstance& f, Operation& op, WritePlan& plan) {
  DriverPart& p = f.part;
  if (p.flags & kPartReadOnly) return svc::err::access_denied;
  uint32_t length = f.record_length;
  uint32_t pointer = 0;
  plan.append = false;
  switch (op.code) {
    case OP_ADDfilelen:
    case OP_APPENDlen: length = uint32_t(op.number(0)); [[fallthrough]];
    case OP_ADD:
    case OP_APPEND: plan.append = true; break;
    case OP_PUTfileptrlen: length = uint32_t(op.number(1)); [[fallthrough]];
    case OP_PUTfileptr: pointer = uint32_t(op.number(0)); break;
    default: pointer = p.record_position + 1; break;  // PUT
  }
  if (!plan.append && pointer == 0) return svc::err::record_not_available;
  plan.length = length > f.record_length ? f.record_length : length;
  if (begin_shared_write(f) != 0) return svc::err::access_denied;
  if (plan.append && !refresh_file_size(f)) {
    end_shared_write(f);
    return svc::err::access_denied;
  }
  plan.position = plan.append ? p.file_size : pointer - 1;
  return 0;
}

int32_t cut_at(FileInstance& f, uint32_t position) {
  DriverPart& p = f.part;
  if (p.file->cut(position) != 0) return svc::err::access_denied;
  p.file_size = position;
  p.record_position = position;
  p.record_bytes = 0;
  return 0;
}

const unsigned char* record_to_write(FileInstance& f) {
  if (!(f.attributes & kInstOem) || !f.part.conversion) return f.record;
  std::memcpy(f.part.conversion, f.record, f.record_length);
  record_to_oem(f.fields, f.part.conversion);
  return f.part.conversion;
}

void finish_write(FileInstance& f, const WritePlan& plan, uint32_t bytes) {
  DriverPart& p = f.part;
  p.record_position = plan.position;
  p.record_bytes = bytes;
  if (plan.position + bytes > p.file_size) p.file_size = plan.position + bytes;
  p.flags |= kPartRecordCurrent;
}

}  // namespace drv
