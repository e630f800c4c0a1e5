// The quoted-printable encoder of text_codecs.h.
#include "mime/text_codecs.h"
#include "mime/utf8.h"

namespace mime {

namespace {

constexpr size_t kLineLimit = 76;
// The bytes a line may hold before the "=" of a soft break.
constexpr size_t kSoftBreakRoom = kLineLimit - 1;
constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string escaped(unsigned char b) { return {'=', kHexDigits[b >> 4], kHexDigits[b & 15]}; }

bool written_as_is(unsigned char b) { return (b >= 0x20 && b < 0x7F && b != '=') || b == '\t'; }

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
  for (char c : bytes) put_byte(static_cast<unsigned char>(c));
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
  if (line_.size() > kSoftBreakRoom) {
    const std::string last = line_.substr(last_piece_);
    line_.resize(last_piece_);
    emit_(line_ + "=");
    line_ = last;
  }
  if (line_.size() + piece.size() > kLineLimit) {
    emit_(line_ + "=");
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
