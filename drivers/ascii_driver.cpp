#include "drivers/ascii_driver.h"

#include <cstring>

#include "drivers/common_operations.h"
#include "drivers/dispatch.h"
#include "drivers/operation_codes.h"
#include "drivers/record_file.h"
#include "runtime/record_descriptor.h"
#include "services/error_state.h"
#include "services/heap.h"

namespace drv {
namespace {

constexpr int32_t kTabKept = -100;
constexpr uint32_t kMaxLineEnd = 255;

bool ctrlz_ends_file(const FileInstance& f) { return !(f.part.flags & kPartCtrlZIsData); }

int32_t set_line_end(FileInstance& f, const unsigned char* bytes, uint32_t length) {
  unsigned char* copy = nullptr;
  if (length > 0) {
    copy = static_cast<unsigned char*>(svc::allocate(length));
    if (!copy) return svc::err::insufficient_memory;
    std::memcpy(copy, bytes, length);
  }
  svc::release(f.part.line_end);
  f.part.line_end = copy;
  f.part.line_end_length = length;
  return 0;
}

int32_t text_setup(FileInstance& f) {
  DriverPart& p = f.part;
  p.clip = 1;
  p.tab = 8;
  p.tab_set = 0;
  if (f.attributes & kInstOem) {
    p.conversion = static_cast<unsigned char*>(svc::allocate(f.record_length ? f.record_length : 1));
    if (!p.conversion) return svc::err::insufficient_memory;
  }
  static constexpr unsigned char kCrLf[2] = {13, 10};
  return set_line_end(f, kCrLf, 2);
}

// ENDOFRECORD=n,c1,...,cn: codes missing from the text end the sequence early.
void option_end_of_record(FileInstance& f, const char* value, uint32_t length, Operation& op) {
  const DriverPart& p = f.part;
  if (p.line_end) op.answer_copy(reinterpret_cast<const char*>(p.line_end), p.line_end_length);
  if (!value) return;
  uint32_t i = 0;
  while (i < length && value[i] != ',') ++i;
  int64_t count = option_number(value, i, false);
  unsigned char codes[kMaxLineEnd];
  uint32_t n = 0;
  while (i < length && n < count && n < kMaxLineEnd) {
    uint32_t start = ++i;
    while (i < length && value[i] != ',') ++i;
    codes[n++] = static_cast<unsigned char>(option_number(value + start, i - start, false));
  }
  set_line_end(f, codes, n);
}

void option_flag(Operation& op, uint8_t& flag, const char* value, uint32_t length) {
  answer_on_off(op, flag != 0);
  if (value && value_is(value, length, "ON")) flag = 1;
  if (value && value_is(value, length, "OFF")) flag = 0;
}

void text_option(FileInstance& f, const char* text, uint32_t length, Operation& op) {
  const char* value = nullptr;
  uint32_t n = 0;
  DriverPart& p = f.part;
  if (shared_option(f, text, length, op)) return;
  if (option_named(text, length, "ENDOFRECORD", value, n)) {
    option_end_of_record(f, value, n, op);
  } else if (option_named(text, length, "CTRLZISEOF", value, n)) {
    answer_on_off(op, ctrlz_ends_file(f));
    if (value && value_is(value, n, "OFF")) p.flags |= kPartCtrlZIsData;
    else if (value) p.flags &= uint16_t(~kPartCtrlZIsData);
  } else if (option_named(text, length, "CLIP", value, n)) {
    option_flag(op, p.clip, value, n);
  } else if (option_named(text, length, "TAB", value, n)) {
    answer_number(op, p.tab);
    if (value) {
      int64_t tab = option_number(value, n, true);
      p.tab = tab < -0x7FFFFFFF ? -0x7FFFFFFF : tab > 0x7FFFFFFF ? 0x7FFFFFFF : int32_t(tab);
      p.tab_set = 1;
    }
  }
}

// Column after a tab at column c in a record of L characters.
uint32_t expand_tab(FileInstance& f, unsigned char* record, uint32_t c, uint32_t L) {
  int32_t tab = f.part.tab;
  uint64_t next = c;
  if (tab == kTabKept) {
    record[c] = '\t';
    next = c + 1;
  } else if (tab > 0) {
    next = (uint64_t(c) / uint32_t(tab) + 1) * uint32_t(tab);
  } else if (tab < 0) {
    next = uint64_t(c) + uint32_t(-int64_t(tab));
  }
  return next > L ? L : uint32_t(next);
}

bool line_end_at(const unsigned char* at, uint32_t left, const unsigned char* end, uint32_t e) {
  return e > 0 && left >= e && std::memcmp(at, end, e) == 0;
}

// Fast path: the line end found in the first L bytes with nothing to expand
// before it. Gives the record bytes, or 0 when the scan is needed.
uint32_t copy_plain_line(FileInstance& f, const unsigned char* at, uint32_t avail, uint32_t L) {
  const DriverPart& p = f.part;
  uint32_t e = p.line_end_length;
  if (e == 0) return 0;
  const void* hit = std::memchr(at, p.line_end[0], avail < L ? avail : L);
  if (!hit) return 0;
  uint32_t k = uint32_t(static_cast<const unsigned char*>(hit) - at);
  if (std::memchr(at, '\t', k) || (ctrlz_ends_file(f) && std::memchr(at, kCtrlZ, k)) ||
      !line_end_at(at + k, avail - k, p.line_end, e))
    return 0;
  std::memcpy(f.record, at, k);
  return k + e;
}

// The scan: returns the bytes taken; `ended` when the line end was met.
uint32_t scan_line(FileInstance& f, const unsigned char* at, uint32_t avail, uint32_t L,
                   bool& ended) {
  const DriverPart& p = f.part;
  uint32_t c = 0, t = 0;
  ended = false;
  while (t < L && c < L && t < avail) {
    if (line_end_at(at + t, avail - t, p.line_end, p.line_end_length)) {
      t += p.line_end_length;
      ended = true;
      break;
    }
    unsigned char b = at[t];
    if (b == kCtrlZ && ctrlz_ends_file(f)) break;
    ++t;
    if (b == '\t') c = expand_tab(f, f.record, c, L);
    else f.record[c++] = b;
  }
  return t;
}

// Skips the rest of an over-long line from q; returns the new end, or
// UINT32_MAX when the file cannot be read.
uint32_t skip_line_rest(FileInstance& f, uint32_t q) {
  DriverPart& p = f.part;
  uint32_t e = p.line_end_length;
  while (q < p.file_size) {
    uint32_t n = p.file_size - q < p.buffer_size ? p.file_size - q : p.buffer_size;
    const unsigned char* at = p.file->view(n, q);
    if (!at) return UINT32_MAX;
    uint32_t i = 0;
    for (; i < n; ++i) {
      if (e > 0 && at[i] == p.line_end[0]) {
        if (i + e > n && q + i + e <= p.file_size) break;  // look again from here
        if (line_end_at(at + i, n - i, p.line_end, e)) return q + i + e;
      }
      if (at[i] == kCtrlZ && ctrlz_ends_file(f)) return q + i + 1;
    }
    q += i > 0 ? i : 1;
  }
  return q;
}

// Reads the line at byte p into the record.
int32_t read_line(FileInstance& f, uint32_t p) {
  DriverPart& part = f.part;
  uint32_t L = f.record_length;
  part.flags &= uint16_t(~kPartRecordCurrent);
  if (int32_t error = check_read_position(f, p); error != 0) return error;
  std::memset(f.record, ' ', L);
  const unsigned char* at = part.file->view(L + part.line_end_length, p);
  if (!at) return io_failure_code(f);
  uint32_t avail = part.file->block_fill - part.file->cursor;
  if (avail > part.file_size - p) avail = part.file_size - p;
  if (avail > 0 && at[0] == kCtrlZ && ctrlz_ends_file(f)) return svc::err::record_not_available;
  uint32_t bytes = copy_plain_line(f, at, avail, L);
  if (bytes == 0) {
    bool ended = false;
    bytes = scan_line(f, at, avail, L, ended);
    if (!ended && p + bytes < part.file_size) {
      uint32_t end = skip_line_rest(f, p + bytes);
      if (end == UINT32_MAX) return io_failure_code(f);
      bytes = end - p;
    }
  }
  if (f.attributes & kInstOem) record_to_ansi(f.fields, f.record);
  part.record_position = p;
  part.record_bytes = bytes;
  part.flags |= kPartRecordCurrent;
  return 0;
}

// The first append after OPEN overwrites a trailing Ctrl-Z.
void drop_trailing_ctrlz(FileInstance& f, uint32_t& w) {
  DriverPart& p = f.part;
  p.ctrlz_looked = 1;
  if (p.file_size == 0 || !ctrlz_ends_file(f)) return;
  const unsigned char* last = p.file->view(1, p.file_size - 1);
  if (last && last[0] == kCtrlZ) {
    --w;
    --p.file_size;
  }
}

uint32_t clipped_length(const unsigned char* record, uint32_t L) {
  // Records are mostly padding: pass over the blanks eight at a time first.
  constexpr uint64_t blanks = 0x2020202020202020ull;
  while (L >= 8) {
    uint64_t word;
    std::memcpy(&word, record + L - 8, sizeof word);
    if (word != blanks) break;
    L -= 8;
  }
  while (L > 0 && record[L - 1] == ' ') --L;
  return L;
}

int32_t write_line(FileInstance& f, Operation& op) {
  WritePlan plan;
  if (int32_t error = plan_write(f, op, plan); error != 0) return error;
  DriverPart& p = f.part;
  if (plan.append && !p.ctrlz_looked) drop_trailing_ctrlz(f, plan.position);
  int32_t error = 0;
  if (p.file->seek(plan.position) != 0) {
    error = svc::err::access_denied;
  } else if (plan.length == 0) {
    error = cut_at(f, plan.position);
  } else {
    const unsigned char* record = record_to_write(f);
    uint32_t n = p.clip ? clipped_length(record, f.record_length) : plan.length;
    uint32_t e = p.line_end_length;
    if (p.file->write(record, n) != int32_t(n) ||
        (e > 0 && p.file->write(p.line_end, e) != int32_t(e)))
      error = svc::err::access_denied;
    else
      finish_write(f, plan, n + e);
  }
  end_shared_write(f);
  return error;
}

// EOF: nothing can be read at the next position.
int32_t at_end(FileInstance& f) {
  DriverPart& p = f.part;
  if (p.next_position == 0 || p.file->seek(p.next_position - 1) != 0) return 1;
  unsigned char b = 0;
  if (p.file->read(&b, 1) != 1) return 1;
  return b == kCtrlZ && ctrlz_ends_file(f) ? 1 : 0;
}

int32_t read_at_pointer(FileInstance& f, uint32_t pointer) {
  return pointer == 0 ? 0 : read_line(f, pointer - 1);
}

int32_t text_next(FileInstance& f, Operation&) {
  DriverPart& p = f.part;
  int32_t error = read_line(f, p.next_position - 1);
  if (error == 0) p.next_position = p.record_position + p.record_bytes + 1;
  return error;
}

// A length argument does not change what is read.
int32_t text_get(FileInstance& f, Operation& op) {
  return read_at_pointer(f, uint32_t(op.number(0)));
}

int32_t text_reget(FileInstance& f, Operation& op) {
  return read_at_pointer(f, position_argument(op));
}

int32_t text_eof(FileInstance& f, Operation& op) { return op.value = at_end(f), 0; }
int32_t text_count(FileInstance&, Operation& op) { return op.value = 0, 0; }

constexpr RecordHandlers kTextHandlers = make_record_handlers(
    write_line, {{OP_NEXT, text_next},
                 {OP_GETfileptr, text_get},
                 {OP_GETfileptrlen, text_get},
                 {OP_REGETfile, text_reget},
                 {OP_BYTES, record_bytes_operation},
                 {OP_EOF, text_eof},
                 {OP_COUNTRECORDS, text_count}});

int32_t text_open(FileInstance& f, uint32_t mode) { return open_record_file(f, mode, text_setup); }

// Count first, then the codes.
constexpr auto kTextOperations = operation_list(kRecordFileOperations, std::array<uint8_t, 0>{});
static_assert(kTextOperations[0] == 34);

constexpr uint8_t kTextFieldTypes[] = {2, rt::FT_STRING, rt::FT_GROUP};

const DriverDescriptor kAsciiDescriptor = {
    "ASCII",          {"B5ASC.DLL", "B5ASCS.DLL"}, "ASCII (Text)", ascii_driver,
    kTextOperations.data(), kTextFieldTypes,             "BWASCII",      "ASCII.LOG",
    text_open,        close_record_file,           &kTextHandlers, text_option,
};

}  // namespace

const DriverDescriptor& ascii_descriptor() { return kAsciiDescriptor; }

int32_t ascii_driver(int32_t op, FileDeclaration* file, const DriverArg* args) {
  return dispatch(kAsciiDescriptor, op, file, args);
}

}  // namespace drv
