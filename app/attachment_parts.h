// The parts of the message that carry files: the attached files, the images
// that the body references and the background sound, in base64; an attached
// message as it stands.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace app {

// Encoder results.
inline constexpr uint8_t kEncoded = 0;
inline constexpr uint8_t kInputNotOpened = 1;
inline constexpr uint8_t kOutputNotOpened = 2;
inline constexpr uint8_t kInputNotRead = 3;  // a read failed before the end: the text stops short
inline constexpr uint8_t kInputChanged = 4;  // the file changed after its look decided its part's form

// Reads `input` byte by byte through INED and appends its base64 text to the
// message file OUED in lines of 76 characters. With `append` 0 the encoder
// creates and opens `output` itself (and closes it); with 1 the message file
// is already open. When the input cannot be opened or read to its end, the
// error state holds the error that stopped it.
uint8_t EncodeFileBase64(uint8_t append, std::string_view input, std::string_view output);

// Each writer returns false after it met a file it could not encode or a
// line it could not write: the failure is noted for the caller and the work
// copy removed; the caller gives up the message.
// Attachments open each part with the mixed container's delimiter; the
// pictures (see html_body.h) and the sound open theirs with the related
// container's.
struct EmbeddedPictures;
bool write_attachment_parts();
bool write_image_parts(const EmbeddedPictures& pictures);
bool write_sound_part(std::string_view sound_file);

}  // namespace app
