// The buffered file object: one open file read and written through one block
// buffer lent by the driver. Each operation keeps its outcome (0 or a system
// error number) in `last_error`.
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/types.h"

namespace drv {

// Byte 26 marks the end of the file inside a block that the file does not fill.
inline constexpr unsigned char kCtrlZ = 26;

enum BufferedFlag : uint8_t {
  kBlockDirty = 0x1,    // the buffer holds written bytes not yet in the file
  kBufferingOn = 0x2,
  kOwnsBuffer = 0x4,    // the buffer is a runtime heap block of this object
  kBlockStale = 0x8,    // the block must be read again before it is used
  kPositionKnown = 0x10,  // system_position is where the system's position is
};

// Buffering switch of lend_buffer.
inline constexpr int kBufferingSwitchOn = 0;
inline constexpr int kBufferingSwitchOff = 1;

// Layout (a new object is all zeros):
//   handle       the open file, or null
//   last_error   system error of the last failed call, 0 after a success
//   mode         the open mode given at open
//   block_start  file offset of the buffer's first byte
//   block_fill   valid bytes in the buffer
//   cursor       current position, as an offset into the buffer
//   capacity     size of the buffer
//   buffer       the block buffer
//   flags        BufferedFlag bits
//   system_position  the system's file position, while kPositionKnown is set:
//                the block reads and writes of a file read or written from
//                start to end then need no seek of their own
struct BufferedFile {
  plat::HANDLE handle;
  uint32_t last_error;
  uint32_t mode;
  uint32_t block_start;
  uint32_t block_fill;
  uint32_t cursor;
  uint32_t capacity;
  unsigned char* buffer;
  uint8_t flags;
  uint32_t system_position;

  void init();
  // Opens an existing file with a driver open mode.
  uint32_t open(const char* name, uint32_t mode);
  // Creates (or empties) the file and closes it at once.
  uint32_t create(const char* name, uint32_t attribute);
  uint32_t close();
  // Installs a buffer; `buffering` kBufferingSwitchOn / kBufferingSwitchOff,
  // any other value leaves it as it is. A dirty block is written out first
  // when the new buffer is smaller or buffering goes off.
  uint32_t lend_buffer(unsigned char* new_buffer, uint32_t new_capacity, int buffering);
  // Makes n bytes at position q available and returns where they start, or
  // null (capacity below n, or a system failure). When the file ends inside
  // the block, the byte after its last byte is 26.
  const unsigned char* view(uint32_t n, uint32_t q);
  // Reads up to n bytes at the cursor: the count, or -1 on failure.
  int32_t read(void* destination, uint32_t n);
  // Writes n bytes at the cursor: n, a short count, or -1 on failure.
  int32_t write(const void* source, uint32_t n);
  uint32_t seek(uint32_t q);
  // The n bytes at q when the block holds them all, as a seek to q and a
  // read of n bytes would find them (the cursor moves past them); else null
  // and nothing changes.
  const unsigned char* take_held(uint32_t n, uint32_t q) {
    if ((flags & (kBufferingOn | kBlockStale)) != kBufferingOn || q < block_start) return nullptr;
    uint32_t at = q - block_start;
    if (at >= block_fill || n > block_fill - at) return nullptr;
    cursor = at + n;
    last_error = 0;
    return buffer + at;
  }
  // The end of the bytes that the block holds from q on: take_held of one
  // byte at any position from q up to it finds it. q when the block does not
  // hold q.
  uint32_t held_until(uint32_t q) const {
    if ((flags & (kBufferingOn | kBlockStale)) != kBufferingOn || q < block_start ||
        q - block_start >= block_fill)
      return q;
    return block_start + block_fill;
  }
  // take_held of one byte at q, which held_until has shown to be held.
  unsigned char take_known_byte(uint32_t q) {
    uint32_t at = q - block_start;
    cursor = at + 1;
    last_error = 0;
    return buffer[at];
  }
  // A seek to q and a read of up to n bytes; a block that holds them serves
  // them inline.
  int32_t read_at(void* destination, uint32_t n, uint32_t q) {
    if (const unsigned char* held = take_held(n, q)) {
      std::memcpy(destination, held, n);
      return int32_t(n);
    }
    return seek(q) == 0 ? read(destination, n) : -1;
  }
  uint32_t flush();
  uint32_t commit();
  // Cuts the file at q (what was written before q is kept).
  uint32_t cut(uint32_t q);
  // The file's size from the system; the outcome in last_error.
  uint32_t size();
  uint32_t lock(uint32_t offset, uint32_t length);
  uint32_t unlock(uint32_t offset, uint32_t length);

  bool buffering() const { return (flags & kBufferingOn) != 0; }

 private:
  uint32_t keep(uint32_t error) { return last_error = error; }
  // The system seek to q, left out when the position is known to be q.
  uint32_t seek_system(uint32_t q);
  // After a system call that moved the position to q (error 0), or left it
  // unknown (any other error).
  void note_position(uint32_t error, uint32_t q);
  // After a system read or write of `count` bytes at the position.
  void advance_position(uint32_t error, uint32_t count);
  uint32_t write_out();
  const unsigned char* fetch(uint32_t n, uint32_t q);
};

}  // namespace drv
