#include "mime/base64.h"

#include <cstring>
#include <utility>

namespace mime {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
static_assert(sizeof(kAlphabet) == 65);
static_assert(kBase64LineLength % 4 == 0, "a line holds whole groups");

// The two characters of every 12 bits: a group is two look-ups.
struct PairTable {
  char pairs[4096][2];
  constexpr PairTable() : pairs() {
    for (int i = 0; i < 4096; ++i) {
      pairs[i][0] = kAlphabet[i >> 6];
      pairs[i][1] = kAlphabet[i & 63];
    }
  }
};
constexpr PairTable kPairs;

// The four characters of a group of three bytes (the first in bits 16-23).
inline void write_group(char* at, uint32_t group) {
  std::memcpy(at, kPairs.pairs[(group >> 12) & 4095], 2);
  std::memcpy(at + 2, kPairs.pairs[group & 4095], 2);
}

inline uint32_t group_at(const unsigned char* b) { return uint32_t{b[0]} << 16 | uint32_t{b[1]} << 8 | b[2]; }

// The bytes of one whole line.
constexpr size_t kLineBytes = kBase64LineLength / 4 * 3;

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
    write_group(chars, group_at(reinterpret_cast<const unsigned char*>(bytes.data() + i)));
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
  for (; column_ != 0 && i + 3 <= n; i += 3) put_group(group_at(b + i));
  // Whole lines straight from the bytes: the bulk of a large part.
  for (; column_ == 0 && i + kLineBytes <= n; i += kLineBytes) {
    for (size_t g = 0; g < kLineBytes / 3; ++g) write_group(line_ + 4 * g, group_at(b + i + 3 * g));
    emit_(std::string_view(line_, kBase64LineLength));
  }
  for (; i + 3 <= n; i += 3) put_group(group_at(b + i));
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
