// Reading the environment file: lines of KEY=VALUE, read through a 2048-byte
// buffer, ended by the end of the file or a byte 0x1A.
#include "runtime/environment_file.h"

#include <cstring>

#include "platform/file.h"
#include "platform/handle.h"
#include "services/error_state.h"

namespace rt {

namespace {

constexpr int kEnd = -1;
constexpr char kEndOfText = 0x1A;

// The bytes of the file (or of a text in memory) one at a time; 0x1A reads
// as the end.
class ByteSource {
 public:
  ByteSource(const char* data, uint32_t size) : data_(data), size_(size) {}
  explicit ByteSource(plat::HANDLE file) : data_(buffer_), file_(file) {}

  int next() {
    if (ended_) return kEnd;
    if (at_ == size_ && !refill()) {
      ended_ = true;
      return kEnd;
    }
    char c = data_[at_++];
    if (c == kEndOfText) {
      ended_ = true;
      return kEnd;
    }
    return static_cast<unsigned char>(c);
  }
  // Gives back the byte just read (only one).
  void unread() {
    if (!ended_ && at_ > 0) --at_;
  }

 private:
  bool refill() {
    if (ended_ || file_ == nullptr) return false;
    plat::DWORD got = 0;
    if (!plat::ReadFile(file_, buffer_, kEnvironmentBufferSize, &got, nullptr) || got == 0) {
      ended_ = true;
      return false;
    }
    at_ = 0;
    size_ = got;
    return true;
  }

  char buffer_[kEnvironmentBufferSize];
  const char* data_;
  uint32_t size_ = 0;
  uint32_t at_ = 0;
  plat::HANDLE file_ = nullptr;
  bool ended_ = false;
};

bool is_line_end(int c) {
  return c == '\r' || c == '\n' || c == kEnd;
}

// Reads a key up to "=": spaces dropped, at most 31 characters kept. Returns
// false when a control byte abandons the key or the text ends.
bool read_key(ByteSource& in, int first, char (&key)[kEnvironmentKeyCapacity + 1]) {
  uint32_t n = 0;
  for (int c = first; c != '='; c = in.next()) {
    if (c == kEnd || c < 0x20) return false;
    if (c != ' ' && n < kEnvironmentKeyCapacity) key[n++] = static_cast<char>(c);
  }
  key[n] = '\0';
  return true;
}

// Reads an escape after "<": decimal digits give a byte (the non-digit that
// ends them is dropped, unless it ends the line); "<<" gives "<"; "<" and any
// other byte stand for themselves. Returns the bytes produced.
uint32_t read_escape(ByteSource& in, char (&out)[2]) {
  int c = in.next();
  if (c == '<') {
    out[0] = '<';
    return 1;
  }
  if (c < '0' || c > '9') {
    out[0] = '<';
    if (is_line_end(c)) {
      in.unread();
      return 1;
    }
    out[1] = static_cast<char>(c);
    return 2;
  }
  uint32_t code = 0;
  for (; c >= '0' && c <= '9'; c = in.next())
    code = (code * 10 + static_cast<uint32_t>(c - '0')) & 0xFFFF;
  if (is_line_end(c)) in.unread();
  out[0] = static_cast<char>(code & 0xFF);
  return 1;
}

// Reads a value up to the line end (at most 1024 bytes kept), resolving
// escapes and dropping trailing spaces and tabs. Returns its length.
uint32_t read_value(ByteSource& in, char (&value)[kEnvironmentValueCapacity]) {
  uint32_t n = 0;
  int c = in.next();
  for (; !is_line_end(c); c = in.next()) {
    char bytes[2] = {static_cast<char>(c), 0};
    uint32_t count = c == '<' ? read_escape(in, bytes) : 1;
    for (uint32_t i = 0; i < count && n < kEnvironmentValueCapacity; ++i) value[n++] = bytes[i];
  }
  // The rest of the line, up to LF, is skipped.
  if (c == '\r') {
    while (c != '\n' && c != kEnd) c = in.next();
  }
  while (n > 0 && (value[n - 1] == ' ' || value[n - 1] == '\t')) --n;
  return n;
}

void read_lines(Locale& locale, ByteSource& in) {
  for (int c = in.next(); c != kEnd; c = in.next()) {
    if (c == '\r' || c == '\n') continue;
    char key[kEnvironmentKeyCapacity + 1];
    if (!read_key(in, c, key)) continue;
    char value[kEnvironmentValueCapacity];
    uint32_t length = read_value(in, value);
    apply_environment_key(locale, key, value, length);
  }
}

}  // namespace

bool environment_file_path(const char* program_path, char* out, uint32_t size) {
  static constexpr char kExtension[] = ".ENV";
  size_t length = std::strlen(program_path);
  size_t name = length;
  while (name > 0 && program_path[name - 1] != '/' && program_path[name - 1] != '\\') --name;
  // Only a period in the file name counts, never one in a folder name.
  size_t stem = length;
  for (size_t i = length; i > name; --i) {
    if (program_path[i - 1] == '.') {
      stem = i - 1;
      break;
    }
  }
  if (stem + sizeof kExtension > size) {
    if (size > 0) out[0] = '\0';
    return false;
  }
  std::memcpy(out, program_path, stem);
  std::memcpy(out + stem, kExtension, sizeof kExtension);
  return true;
}

void read_environment_file(Locale& locale, const char* path) {
  plat::HANDLE file = plat::CreateFileA(path, plat::GENERIC_READ, plat::FILE_SHARE_READ, nullptr,
                                        plat::OPEN_EXISTING, plat::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == plat::INVALID_HANDLE_VALUE) {
    svc::error_state().post(svc::err::file_not_found);
    return;
  }
  ByteSource in(file);
  read_lines(locale, in);
  plat::CloseHandle(file);
}

void read_environment_text(Locale& locale, const char* data, uint32_t size) {
  ByteSource in(data, size);
  read_lines(locale, in);
}

}  // namespace rt
