#include "mime/base64.h"

#include <utility>

namespace mime {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
static_assert(sizeof(kAlphabet) == 65);
static_assert(kBase64LineLength % 4 == 0, "a line holds whole groups");

// The four characters of a group of three bytes (the first in bits 16-23).
void write_group(char* at, uint32_t group) {
  at[0] = kAlphabet[(group >> 18) & 63];
  at[1] = kAlphabet[(group >> 12) & 63];
  at[2] = kAlphabet[(group >> 6) & 63];
  at[3] = kAlphabet[group & 63];
}

// The characters of the last `held` (1 or 2) bytes of a text, padded.
void write_padded(char* at, uint32_t group, uint32_t held) {
  write_group(at, group << (8 * (3 - held)));
  at[3] = '=';
  if (held == 1) at[2] = '=';
}

}  // namespace

void append_base64(std::string& out, std::string_view bytes) {
  size_t i = 0;
  char chars[4];
  for (; i + 3 <= bytes.size(); i += 3) {
    write_group(chars, static_cast<uint8_t>(bytes[i]) << 16 | static_cast<uint8_t>(bytes[i + 1]) << 8 |
                           static_cast<uint8_t>(bytes[i + 2]));
    out.append(chars, 4);
  }
  const auto held = static_cast<uint32_t>(bytes.size() - i);
  if (held == 0) return;
  uint32_t group = 0;
  for (; i < bytes.size(); ++i) group = group << 8 | static_cast<uint8_t>(bytes[i]);
  write_padded(chars, group, held);
  out.append(chars, 4);
}

Base64Encoder::Base64Encoder(std::function<void(std::string_view line)> emit) : emit_(std::move(emit)) {}

void Base64Encoder::put_group(uint32_t group) {
  write_group(line_ + column_, group);
  column_ += 4;
  if (column_ < kBase64LineLength) return;
  column_ = 0;
  emit_(std::string_view(line_, kBase64LineLength));
}

void Base64Encoder::put(std::string_view bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  size_t i = 0;
  const size_t n = bytes.size();
  for (; held_ != 0 && i < n; ++i) {
    group_ = group_ << 8 | b[i];
    if (++held_ == 3) {
      put_group(std::exchange(group_, 0));
      held_ = 0;
    }
  }
  for (; i + 3 <= n; i += 3) put_group(uint32_t{b[i]} << 16 | uint32_t{b[i + 1]} << 8 | b[i + 2]);
  for (; i < n; ++i, ++held_) group_ = group_ << 8 | b[i];
}

void Base64Encoder::finish() {
  if (held_ != 0) {
    write_padded(line_ + column_, group_, held_);
    column_ += 4;
  }
  emit_(std::string_view(line_, column_));
  column_ = 0;
  group_ = 0;
  held_ = 0;
}

}  // namespace mime
