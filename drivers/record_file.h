// The parts of a record file that the ASCII and DOS drivers share: opening
// with its buffer and options, closing, the FILEBUFFERS and QUICKSCAN
// options, and the checks around reads and writes.
#pragma once

#include <cstdint>

#include "drivers/common_operations.h"
#include "drivers/driver_interface.h"

namespace drv {

// The operations that both drivers list as supported.
inline constexpr std::array<uint8_t, 34> kRecordFileOperations = {
    OP_ADD,        OP_ADDfilelen,  OP_APPEND,     OP_APPENDlen,    OP_BYTES,
    OP_EOF,        OP_CLOSE,       OP_COPY,       OP_CREATE,       OP_EMPTY,
    OP_FLUSH,      OP_GETfileptrlen, OP_GETfileptr, OP_GET_PROPERTY, OP_LOCKfile,
    OP_LOCKfilesec, OP_NAME,       OP_NEXT,       OP_OPEN,         OP_POINTERfile,
    OP_POSITIONfile, OP_PUT,       OP_PUTfileptr, OP_PUTfileptrlen, OP_REGETfile,
    OP_REMOVE,     OP_RENAME,      OP_RESETfile,  OP_SEND,         OP_SETfile,
    OP_SETfileptr, OP_SET_PROPERTY, OP_SHARE,     OP_UNLOCK,
};

// BYTES: the record bytes while a record is current, else the file size.
int32_t record_bytes_operation(FileInstance& file, Operation& op);

// Text settings of the ASCII driver, applied between the defaults and the
// driver string's options.
using TextDefaults = void (*)(FileInstance& file);
// A driver's own setup at open (conversion copy, cleared record): 0 or 8.
using OpenSetup = int32_t (*)(FileInstance& file);

// Opens the (expanded) file with `mode`: the buffered file, the size, the
// driver's own setup, the block buffer, QUICKSCAN, the driver string's
// options, read only and shared. 0 or the error; the caller closes on failure.
int32_t open_record_file(FileInstance& file, uint32_t mode, OpenSetup setup);
// Writes the block out, commits, closes and frees the driver part.
int32_t close_record_file(FileInstance& file);

// The FILEBUFFERS and QUICKSCAN options; false when `text` is neither.
bool shared_option(FileInstance& file, const char* text, uint32_t length, Operation& op);

// Splits an option text into its name match and value: true when `text`
// starts with `name`; `value` then points after the equals sign, or is null.
bool option_named(const char* text, uint32_t length, const char* name, const char*& value,
                  uint32_t& value_length);
// The decimal number that starts at the first digit (or minus sign when
// `signed_value`) of a value; saturates instead of overflowing.
int64_t option_number(const char* value, uint32_t length, bool signed_value);
bool value_is(const char* value, uint32_t length, const char* word);
void answer_on_off(Operation& op, bool on);
void answer_number(Operation& op, int64_t n);

// The pointer held in the 4-byte position string of REGETfile and RESETfile
// (little-endian; a shorter string reads as zeros).
uint32_t position_argument(const Operation& op);
// The code of a failed read or write of the buffered file.
int32_t io_failure_code(const FileInstance& file);
// Position check of a read at p: 0, 33 at or past the end, or an I/O code.
inline int32_t check_read_position(FileInstance& file, uint32_t p) {
  if (!refresh_file_size(file)) return io_failure_code(file);
  return p >= file.part.file_size ? 33 : 0;
}

// Where a write goes: the position, taking the lock of a shared file first.
// `at` is the pointer for PUTfileptr forms; returns 0 or 5.
struct WritePlan {
  uint32_t position;
  uint32_t length;
  bool append;
};
int32_t plan_write(FileInstance& file, Operation& op, WritePlan& plan);
// Cuts the file at the write's position (a write of length 0): 0 or 5.
int32_t cut_at(FileInstance& file, uint32_t position);
// The record to write: the application's record or, with the OEM attribute,
// its converted copy.
const unsigned char* record_to_write(FileInstance& file);
// Completes a write of `bytes` bytes at the plan's position.
void finish_write(FileInstance& file, const WritePlan& plan, uint32_t bytes);

}  // namespace drv
