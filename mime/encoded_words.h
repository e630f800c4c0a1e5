// Encoded-words: text beyond printable ASCII carried in a header that must
// stay 7-bit ("=?UTF-8?B?...?=" or "=?UTF-8?Q?...?="). Each word holds whole
// UTF-8 characters, so a reader that decodes words one by one never sees half
// a character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mime {

// The longest encoded-word a header may hold.
inline constexpr size_t kEncodedWordLimit = 75;

// B is base64; Q keeps letters and digits readable and writes every other
// byte as "=XX" (a space as "_"). Q's readable set is the one allowed inside
// a display name, so its words may stand in a phrase or a quoted string.
enum class WordEncoding { base64, quoted };

// The shorter encoding for the whole text; base64 on a tie.
WordEncoding word_encoding_for(std::string_view utf8);

// How many bytes of `utf8` from `at` on, in whole characters, one word of at
// most `limit` bytes can hold (0 when not even the first character fits). A
// byte that begins no UTF-8 character counts as a character of its own.
size_t word_text_size(std::string_view utf8, size_t at, size_t limit, WordEncoding encoding);

// The encoded-word of `text`.
std::string encoded_word(std::string_view text, WordEncoding encoding);

}  // namespace mime
