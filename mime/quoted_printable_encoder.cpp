// The quoted-printable encoder of text_codecs.h.
#include "mime/text_codecs.h"

#include <algorithm>

#include "mime/utf8.h"

namespace mime {

namespace {

constexpr size_t kLineLimit = 76;
// The bytes a line may hold before the "=" of a soft break.
constexpr size_t kSoftBreakRoom = kLineLimit - 1;
constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string escaped(unsigned char b) { return {'=', kHexDigits[b >> 4], kHexDigits[b & 15]}; }

// The bytes a line carries as they are: printable ASCII but "=", and tab.
struct AsIsTable {
  bool as_is[256];
  constexpr AsIsTable() : as_is() {
    for (int b = 0; b < 256; ++b) as_is[b] = (b >= 0x20 && b < 0x7F && b != '=') || b == '\t';
  }
};
constexpr AsIsTable kAsIs;

bool written_as_is(unsigned char b) { return kAsIs.as_is[b]; }

// The length of the UTF-8 sequence that a byte begins; 0 for one that begins
// none of two bytes or more.
size_t sequence_length(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 0;
}

}  // namespace

QuotedPrintableEncoder::QuotedPrintableEncoder(std::function<void(std::string_view line)> emit)
    : emit_(std::move(emit)) {}

void QuotedPrintableEncoder::put(std::string_view bytes) {
  const char* at = bytes.data();
  const char* const end = at + bytes.size();
  while (at < end) {
    // A run of bytes written as they are, with nothing pending before it,
    // goes on in one piece per line rather than one byte at a time.
    const char* run = at;
    if (!carriage_return_ && character_.empty())
      while (run < end && written_as_is(static_cast<unsigned char>(*run))) ++run;
    if (run > at) {
      add_bytes(at, static_cast<size_t>(run - at));
      at = run;
    } else {
      put_byte(static_cast<unsigned char>(*at++));
    }
  }
}

// As add() of each byte in turn: a line takes bytes up to its 76, and the
// byte after that moves the line's last piece behind a soft break.
void QuotedPrintableEncoder::add_bytes(const char* bytes, size_t n) {
  line_open_ = true;
  while (n > 0) {
    if (line_.size() > kSoftBreakRoom) soft_break();
    const size_t k = std::min(n, kLineLimit - line_.size());
    line_.append(bytes, k);
    last_piece_ = line_.size() - 1;
    bytes += k;
    n -= k;
  }
}

// Ends the line before its last piece with a soft break; the piece begins
// the next line.
void QuotedPrintableEncoder::soft_break() {
  const std::string last = line_.substr(last_piece_);
  line_.resize(last_piece_);
  line_ += '=';
  emit_(line_);
  line_ = last;
}

void QuotedPrintableEncoder::put_byte(unsigned char b) {
  if (carriage_return_) {
    carriage_return_ = false;
    if (b == '\n') return end_line();
    add(escaped('\r'));
  }
  if (!character_.empty()) {
    if ((b & 0xC0) == 0x80) {
      character_ += static_cast<char>(b);
      if (character_.size() == character_length_) take_character();
      return;
    }
    take_character();  // cut short: its bytes go one by one
  }
  if (b == '\n') return end_line();
  if (b == '\r') {
    carriage_return_ = true;
  } else if (const size_t length = sequence_length(b)) {
    character_.assign(1, static_cast<char>(b));
    character_length_ = length;
  } else {
    add(written_as_is(b) ? std::string(1, static_cast<char>(b)) : escaped(b));
  }
}

// A whole, well-formed character goes onto a line as one piece, so no soft
// break divides it; other bytes go one by one.
void QuotedPrintableEncoder::take_character() {
  const Utf8Char c = decode_utf8(character_, 0);
  if (c.valid() && c.length == character_.size()) {
    std::string piece;
    for (char byte : character_) piece += escaped(static_cast<unsigned char>(byte));
    add(piece);
  } else {
    for (char byte : character_) add(escaped(static_cast<unsigned char>(byte)));
  }
  character_.clear();
}

// The line may reach 76 bytes while no more comes; a piece after that first
// moves the last one onto a new line behind a soft break.
void QuotedPrintableEncoder::add(std::string_view piece) {
  line_open_ = true;
  if (line_.size() > kSoftBreakRoom) soft_break();
  if (line_.size() + piece.size() > kLineLimit) {
    line_ += '=';
    emit_(line_);
    line_.clear();
  }
  last_piece_ = line_.size();
  line_ += piece;
}

void QuotedPrintableEncoder::end_line() {
  // Only a space or tab written as itself ends a line with white space.
  if (!line_.empty() && (line_.back() == ' ' || line_.back() == '\t')) {
    const auto blank = static_cast<unsigned char>(line_.back());
    line_.pop_back();
    add(escaped(blank));
  }
  emit_(line_);
  line_.clear();
  last_piece_ = 0;
  line_open_ = false;
}

void QuotedPrintableEncoder::finish() {
  if (carriage_return_) {
    carriage_return_ = false;
    add(escaped('\r'));
  }
  if (!character_.empty()) take_character();
  if (line_open_) end_line();
}

}  // namespace mime
