// The file instance: what a driver keeps about a declared file while it is in
// use. The common part is the same for every driver; the driver part holds
// the open file, its positions, its buffers and its options.
#pragma once

#include <cstdint>

#include "drivers/buffered_file.h"
#include "drivers/field_table.h"
#include "drivers/file_declaration.h"

namespace drv {

struct DriverDescriptor;

// Bits of the driver part's flags.
enum DriverFlag : uint16_t {
  kPartRecordCurrent = 0x1,  // the last read or write succeeded
  kPartShared = 0x2,         // opened deny none
  kPartReadOnly = 0x4,       // opened with access 0
  kPartQuickscan = 0x8,      // buffered reads and writes
  kPartCtrlZIsData = 0x20,   // Ctrl-Z does not end a text file
};

// Property flags: refresh a text from the declaration while closed.
enum PropertyFlag : uint32_t {
  kRefreshName = 0x1,
  kRefreshOwner = 0x2,
  kRefreshDriverString = 0x4,
};

// Declared attributes as the instance keeps them.
enum InstanceAttribute : uint8_t {
  kInstEncrypt = 0x01,
  kInstCreate = 0x02,
  kInstReclaim = 0x04,
  kInstThread = 0x08,
  kInstOem = 0x10,
  kInstFurther = 0x20,
};

inline constexpr uint32_t kTraceFileSize = 261;

// The driver part shared by the ASCII and DOS drivers; the text options are
// the ASCII driver's only, the cleared record the DOS driver's only.
struct DriverPart {
  uint16_t flags;             // DriverFlag bits
  uint8_t lock_depth;         // nesting of the one-byte file lock
  BufferedFile* file;         // runtime heap block
  uint32_t record_position;   // byte offset of the current record
  uint32_t record_bytes;      // bytes of the file the current record covers
  uint32_t file_size;
  uint32_t next_position;     // 1-based position of the next sequential read
  uint32_t buffer_size;
  unsigned char* block;       // lent to `file`
  unsigned char* line_end;    // end-of-record sequence (heap)
  uint32_t line_end_length;
  int32_t tab;
  uint8_t tab_set;
  uint8_t clip;
  uint8_t ctrlz_looked;       // the first append looked for a trailing Ctrl-Z
  unsigned char* conversion;  // OEM conversion copy of the record
  unsigned char* cleared;     // the record cleared by its descriptor
};

struct FileInstance {
  char* name;           // owned C strings (runtime heap)
  char* owner;
  char* driver_string;
  uint8_t attributes;   // InstanceAttribute bits
  unsigned char* record;
  // A steady run of one-byte NEXTs: while steady_next is short of
  // steady_end, a NEXT takes the byte at steady_next from the block and
  // changes nothing else that it would not leave as it is, but for the
  // record position, the next position and the block's cursor, which the
  // run leaves unwritten until it ends. Both null outside a run. Every
  // dispatch that reaches the instance ends the run first. Beside the record,
  // which a NEXT of the run writes.
  const unsigned char* steady_next;
  const unsigned char* steady_end;
  uint32_t record_length;
  uint32_t key_count;
  KeyDescriptor* keys;
  uint32_t memo_count;
  const MemoDescriptor* memos;
  FieldTable fields;
  uint32_t open_mode;
  int32_t last_sequential;
  uint32_t state;       // StateFlag bits
  uint32_t properties;  // PropertyFlag bits
  int32_t last_error;
  // Post-action flags of the operation in progress. Not beside the state:
  // the records loop reads the two apart right after writing them apart.
  uint32_t post;
  uint8_t trace_on;
  uint8_t trace_details;
  void* trace_handle;
  const DriverDescriptor* driver;
  FileDeclaration* declaration;
  DriverPart part;
  // Last, out of the way of the fields each record read touches.
  char trace_file[kTraceFileSize];
};

// Ends a steady run, if one is going: the positions take the values the
// run's last byte gave them.
inline void end_steady_run(FileInstance& f) {
  if (!f.steady_end) return;
  DriverPart& p = f.part;
  BufferedFile& block = *p.file;
  uint32_t cursor = uint32_t(f.steady_next - block.buffer);
  uint32_t next = block.block_start + cursor;  // the byte the next NEXT reads
  block.cursor = cursor;
  p.next_position = next + 1;
  p.record_position = next - 1;
  f.steady_next = f.steady_end = nullptr;
}

}  // namespace drv
