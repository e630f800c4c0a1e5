// The parts of the message that carry files: the attached files, the images
// that the body references and the background sound, in base64; an attached
// message as it stands.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "app/html_body.h"
#include "mime/message.h"

namespace app {

// Encoder results.
inline constexpr uint8_t kEncoded = 0;
inline constexpr uint8_t kInputNotOpened = 1;
inline constexpr uint8_t kOutputNotOpened = 2;
inline constexpr uint8_t kInputNotRead = 3;  // a read failed before the end: the text stops short

// Reads `input` byte by byte through INED and appends its base64 text to the
// message file OUED in lines of 76 characters. With `append` 0 the encoder
// creates and opens `output` itself (and closes it); with 1 the message file
// is already open. When the input cannot be opened or read to its end, the
// error state holds the error that stopped it.
uint8_t EncodeFileBase64(uint8_t append, std::string_view input, std::string_view output);

// The parts of the attached files (GLQ), in order, appended to `parts`. Each
// reads its file from a work copy made when the part is written; where a
// file's name leaves its form open, a copy is looked at first (when
// settled). False, with the failure noted, when a file could not be looked
// at.
bool attachment_parts(CallFiles files, std::vector<mime::Part>& parts);

// The parts the HTML embeds: each of `pictures`, read from the file its
// reference names, then the background sound when `sound_file` is not
// blank (a sound file that is not there gives a part without data). A file
// that cannot be read when its part is written fails the run.
std::vector<mime::Part> embedded_parts(CallFiles files, const EmbeddedPictures& pictures,
                                       std::string_view sound_file);

}  // namespace app
