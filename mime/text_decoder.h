// A body's bytes as UTF-8, whatever character set it was written in. The
// set is the one a byte-order mark at its start tells (the mark is not
// passed on), else the one the user named, else for HTML the one its own
// <meta> declares near its start, else UTF-8. UTF-8 is passed on as it is,
// to be checked by the reader; any other set is converted by the platform.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "mime/html_tokenizer.h"
#include "platform/charset.h"

namespace mime {

// How much of an HTML's start is looked at for its <meta> declaration, as
// a browser does before it reads the page.
inline constexpr size_t kCharsetPrescanSize = 1024;

// The preferred name of the character set `name` names ("WINDOWS-1252" for
// "cp1252"); empty for a name that names none this program reads.
std::string charset_name(std::string_view name);

// The character set that the first <meta charset> or <meta http-equiv=
// "Content-Type" content="...; charset=..."> of `head` declares, read as a
// browser reads it: a Unicode set other than UTF-8 is UTF-8 (the
// declaration was read in ASCII, so it cannot be true), ISO-8859-1 and
// US-ASCII are Windows-1252. Empty when none is declared or the name is
// unknown.
std::string html_declared_charset(std::string_view head);

// Where a <meta> start tag declares a character set: the attribute that
// holds the declaration (its charset, else the content of http-equiv=
// "Content-Type") and the declared name, a view into that attribute's
// value. No attribute when the token declares none; the name may be empty.
struct MetaCharset {
  const HtmlAttribute* attribute = nullptr;
  std::string_view name;
};
MetaCharset meta_charset(const HtmlToken& token);

class TextDecoder {
 public:
  using Sink = std::function<void(std::string_view)>;
  enum class Failure { none, invalid, unsupported };

  // `named`: the set the user named, empty for none; it must be one that
  // charset_name() knows. `html`: the text may declare its own.
  TextDecoder(std::string named, bool html, Sink out);
  ~TextDecoder();
  TextDecoder(const TextDecoder&) = delete;
  TextDecoder& operator=(const TextDecoder&) = delete;

  // False from the first byte that is no character of the set on (or when
  // the system cannot read the set); what came before it has been passed on.
  bool feed(std::string_view piece);
  // False as feed(), or when the text ends inside a character.
  bool finish();

  Failure failure() const { return failure_; }
  // The preferred name of the set the text is read in; empty until the
  // start of the text has told.
  const std::string& charset() const { return charset_; }

 private:
  bool decide();
  bool pass(std::string_view bytes, bool last);
  bool fail(Failure failure);

  std::string named_;
  bool html_;
  Sink out_;
  std::string head_;     // the start, until the set is decided
  std::string held_;     // a character cut by the end of a piece
  std::string charset_;  // decided
  plat::HTEXTCONVERTER converter_ = nullptr;  // null: UTF-8, passed on
  Failure failure_ = Failure::none;
};

}  // namespace mime
