// One policy for every header of a draft. A header comes back as its lines,
// without line ends: the first begins with "Name:", the others are
// continuation lines that begin with white space. No line is longer than 78
// bytes where the text allows a break, none longer than 998, and text beyond
// printable ASCII travels as encoded-words (UTF-8), so every line is 7-bit.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mime {

using HeaderLines = std::vector<std::string>;

// The line-length limits: the one kept wherever a break is allowed, and the
// one no line may pass.
inline constexpr size_t kHeaderLineLimit = 78;
inline constexpr size_t kHeaderLineHardLimit = 998;
// The indent of continuation lines that the draft writes itself.
inline constexpr std::string_view kContinuationIndent = "    ";

// An unstructured value (a subject, a header of the caller's own) given in
// UTF-8. Empty: the single line "Name:". Printable ASCII (tabs allowed)
// without "=?": "Name: value", folded when long before a run of white space,
// which then begins the continuation line, so the value reads back exactly.
// Anything else, and ASCII that cannot be folded into lines of at most
// `longest_line` bytes (998 unless a writer keeps shorter lines), becomes
// encoded-words on lines indented by four spaces. A CR or LF is a space;
// other control characters are encoded, never written raw.
HeaderLines unstructured_header(std::string_view name, std::string_view utf8,
                                size_t longest_line = kHeaderLineHardLimit);

// A structured field of one unbreakable value (a media type and what ends
// it, such as "application/pdf;"): "Name: value", or the value alone on a
// continuation line when only that keeps it within 78 bytes.
HeaderLines token_header(std::string_view name, std::string_view value);

// An address list in UTF-8, addresses separated by commas: "Name: first,",
// then "    second," and so on, the last without its comma; no address gives
// "Name:". A display name beyond ASCII, or holding "=?", becomes encoded-words
// (its quotes taken off first) and may be folded over several lines; an ASCII
// display name holding specials unquoted is quoted. A quoted string or an
// angle address is never split, so an address that holds more than 998
// bytes on its own passes that limit: callers refuse such addresses. Control
// characters (line ends among them) become spaces. A domain beyond ASCII is
// written as A-labels. An address that address_fault finds fault with is
// written as given, beyond ASCII too: the lines are 7-bit when it finds none.
HeaderLines address_header(std::string_view name, std::string_view utf8_list);

// An address as an address list writes it: its domain in ASCII (A-labels)
// when it is beyond ASCII and has that form; otherwise as given.
std::string with_ascii_domain(std::string_view address);

// The addresses of a list: split at the commas that stand outside double
// quotes, angle brackets and comments (so "a,b"@x.com stays one address),
// each trimmed, empty ones dropped.
std::vector<std::string> split_addresses(std::string_view utf8_list);

// What keeps an address of a list from being sent to, as the end of a
// sentence that names it ("has no domain: ..."); nothing when it can be. Its
// address proper (what its angle brackets hold, or the address without its
// comments) must be local@domain: one '@' outside quotes, a local part of
// ASCII without blanks or specials outside quotes, a domain of labels (an
// internationalised one that has an ASCII form) or in brackets; quotes,
// comments and brackets closed, no ';', nothing after the angle address but
// comments, nothing beyond ASCII but in the display name and the domain.
std::optional<std::string> address_fault(std::string_view address);

// True for a header field name: one or more printable ASCII characters
// (33 to 126) other than ":".
bool is_field_name(std::string_view name);

// The file-name parameter lines of a part, given its UTF-8 base name, each
// beginning with four spaces: those of the Content-Type line (name=) and of
// the Content-Disposition line (filename=). A short name of printable ASCII
// without a double quote or backslash is one quoted line. Any other name is
// written 7-bit: name= as encoded-words inside the quotes, filename*= as
// percent-encoded UTF-8 (a '%' too). A quoted string is never folded: a name
// whose encoded-word does not fit one line is written as filename is,
// name*0*= and so on. A long filename*= is split into numbered sections, none ending in an
// encoded blank, which some readers drop. These lines stay within 78 bytes
// (but where a run of blanks does not fit one).
HeaderLines name_parameter(std::string_view utf8_name);
HeaderLines filename_parameter(std::string_view utf8_name);

}  // namespace mime
