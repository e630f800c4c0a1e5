#include "drivers/buffered_file.h"

#include <cstring>

#include "drivers/low_level_io.h"
#include "platform/last_error.h"
#include "services/heap.h"

namespace drv {

void BufferedFile::init() { *this = BufferedFile{}; }

uint32_t BufferedFile::open(const char* name, uint32_t open_mode) {
  mode = open_mode;
  uint32_t error = sys::open_existing(name, open_mode, handle);
  note_position(error, 0);  // a file opens at its start
  return keep(error);
}

void BufferedFile::note_position(uint32_t error, uint32_t q) {
  system_position = q;
  flags = error == 0 ? uint8_t(flags | kPositionKnown) : uint8_t(flags & ~kPositionKnown);
}

void BufferedFile::advance_position(uint32_t error, uint32_t count) {
  if (error != 0) flags &= uint8_t(~kPositionKnown);
  else system_position += count;  // meaningless, and unused, while unknown
}

uint32_t BufferedFile::seek_system(uint32_t q) {
  if ((flags & kPositionKnown) && system_position == q) return 0;
  uint32_t error = sys::seek(handle, q);
  note_position(error, q);
  return error;
}

uint32_t BufferedFile::create(const char* name, uint32_t attribute) {
  plat::HANDLE created = nullptr;
  uint32_t error = sys::create(name, attribute, created);
  if (error == 0) error = sys::close(created);
  return keep(error);
}

uint32_t BufferedFile::close() {
  uint32_t error = handle ? sys::close(handle) : 0;
  handle = nullptr;
  flags &= uint8_t(~kPositionKnown);
  if (flags & kOwnsBuffer) svc::release(buffer);
  if (flags & kOwnsBuffer) buffer = nullptr, capacity = 0;
  flags &= uint8_t(~kOwnsBuffer);
  return keep(error);
}

// Writes a dirty block out: the fill at block start. A short count is 5.
uint32_t BufferedFile::write_out() {
  if (!(flags & kBlockDirty)) return 0;
  uint32_t error = seek_system(block_start);
  uint32_t count = 0;
  if (error == 0) error = sys::write(handle, buffer, block_fill, count);
  note_position(error, block_start + count);
  if (error == 0 && count != block_fill) error = plat::ERROR_ACCESS_DENIED;
  if (error == 0) {
    flags &= uint8_t(~kBlockDirty);
    block_fill = 0;
  }
  return error;
}

uint32_t BufferedFile::flush() { return keep(write_out()); }

uint32_t BufferedFile::lend_buffer(unsigned char* new_buffer, uint32_t new_capacity,
                                   int buffering_switch) {
  uint32_t error = 0;
  bool going_off = buffering_switch == kBufferingSwitchOff && buffering();
  if ((new_capacity < capacity || going_off) && (error = write_out()) != 0) return keep(error);
  if (buffer != nullptr && new_buffer != buffer) {
    uint32_t kept = block_fill < new_capacity ? block_fill : new_capacity;
    std::memmove(new_buffer, buffer, kept);
    if (flags & kOwnsBuffer) svc::release(buffer);
    flags &= uint8_t(~kOwnsBuffer);
  }
  buffer = new_buffer;
  capacity = new_capacity;
  if (block_fill > capacity) block_fill = capacity;
  if (cursor > capacity) {  // the cursor's place is no longer in the block
    block_start += cursor;
    cursor = block_fill = 0;
    flags |= kBlockStale;
  }
  if (buffering_switch == kBufferingSwitchOn) flags |= kBufferingOn;
  if (buffering_switch == kBufferingSwitchOff) flags = uint8_t((flags & ~kBufferingOn) | kBlockStale);
  return keep(0);
}

// Reads a whole block at q and marks the end of the file inside it.
const unsigned char* BufferedFile::fetch(uint32_t n, uint32_t q) {
  if (buffer == nullptr || capacity < n) {
    keep(plat::ERROR_INSUFFICIENT_BUFFER);
    return nullptr;
  }
  uint32_t count = 0;
  uint32_t error = seek_system(q);
  if (error == 0) error = sys::read(handle, buffer, capacity, count);
  note_position(error, q + count);
  if (error != 0) {
    block_fill = 0;
    flags |= kBlockStale;
    keep(error);
    return nullptr;
  }
  block_fill = count;
  block_start = q;
  cursor = 0;
  flags &= uint8_t(~kBlockStale);
  if (count < capacity) buffer[count] = kCtrlZ;
  keep(0);
  return buffer;
}

const unsigned char* BufferedFile::view(uint32_t n, uint32_t q) {
  if (buffering()) {
    if (!(flags & kBlockStale) && q >= block_start && q - block_start <= block_fill &&
        n <= block_fill - (q - block_start)) {
      cursor = q - block_start;
      keep(0);
      return buffer + cursor;
    }
    if (keep(write_out()) != 0) return nullptr;
  }
  return fetch(n, q);
}

int32_t BufferedFile::read(void* destination, uint32_t n) {
  if (!buffering()) {
    uint32_t count = 0;
    uint32_t error = sys::read(handle, destination, n, count);
    advance_position(error, count);
    return keep(error) == 0 ? int32_t(count) : -1;
  }
  uint32_t q = block_start + cursor;
  const unsigned char* at = view(n, q);
  if (at == nullptr) return -1;
  uint32_t left = block_fill - cursor;
  uint32_t count = n < left ? n : left;
  std::memcpy(destination, at, count);
  cursor += count;
  return int32_t(count);
}

int32_t BufferedFile::write(const void* source, uint32_t n) {
  if (!buffering()) {
    uint32_t count = 0;
    uint32_t error = sys::write(handle, source, n, count);
    advance_position(error, count);
    return keep(error) == 0 ? int32_t(count) : -1;
  }
  if (uint64_t(block_start) + cursor + n >= sys::kPositionLimit) {
    keep(plat::ERROR_SEEK);
    return -1;
  }
  if (n > capacity - cursor) {
    if (keep(write_out()) != 0) return -1;
    block_start += cursor;
    cursor = block_fill = 0;
    flags &= uint8_t(~kBlockStale);
    if (n > capacity) {  // larger than any block: straight to the file
      uint32_t count = 0;
      if (keep(seek_system(block_start)) != 0) return -1;
      uint32_t error = sys::write(handle, source, n, count);
      note_position(error, block_start + count);
      if (keep(error) != 0) return -1;
      block_start += count;
      return int32_t(count);
    }
  }
  std::memcpy(buffer + cursor, source, n);
  flags |= kBlockDirty;
  cursor += n;
  if (block_fill < cursor) block_fill = cursor;
  keep(0);
  return int32_t(n);
}

uint32_t BufferedFile::seek(uint32_t q) {
  if (!buffering()) return keep(seek_system(q));
  if (q >= sys::kPositionLimit) return keep(plat::ERROR_SEEK);
  if (!(flags & kBlockStale) && q >= block_start && q - block_start <= block_fill) {
    cursor = q - block_start;
    return keep(0);
  }
  if (keep(write_out()) != 0) return last_error;
  block_start = q;
  cursor = 0;
  block_fill = 0;  // the buffer holds nothing of the new place yet
  flags |= kBlockStale;
  return last_error;
}

uint32_t BufferedFile::commit() { return keep(sys::commit(handle)); }

uint32_t BufferedFile::cut(uint32_t q) {
  uint32_t error = write_out();  // bytes written before q must reach the file first
  uint32_t count = 0;
  if (error == 0) error = sys::seek(handle, q);
  if (error == 0) error = sys::write(handle, "", 0, count);
  if (error == 0) error = sys::cut(handle);
  note_position(error, q);
  block_start = 0;
  if (buffering()) {
    cursor = block_fill = 0;
    flags = uint8_t((flags & ~kBlockDirty) | kBlockStale);
  }
  return keep(error);
}

uint32_t BufferedFile::size() {
  uint32_t at = 0, bytes = 0;
  uint32_t error = sys::tell(handle, at);
  if (error == 0) error = sys::size(handle, bytes);
  uint32_t restore = error == 0 ? sys::seek(handle, at) : 0;
  if (error != 0 || restore != 0) note_position(1, 0);  // somewhere unknown
  keep(error != 0 ? error : restore);
  return error == 0 ? bytes : 0;
}

uint32_t BufferedFile::lock(uint32_t offset, uint32_t length) {
  return keep(sys::lock(handle, offset, length));
}

uint32_t BufferedFile::unlock(uint32_t offset, uint32_t length) {
  return keep(sys::unlock(handle, offset, length));
}

}  // namespace drv
