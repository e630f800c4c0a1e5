// From checked options to the draft as a tree (mime/message.h): the headers
// measured, the body opened and read through once, every file to embed or
// attach looked at once (its type by its first bytes, its stamp for the
// writer to hold it to), all before anything is written.
#pragma once

#include <optional>

#include "app/options_body.h"
#include "cli/options.h"
#include "mime/message.h"

namespace cli {

// Fills `message`, with `body` the body it streams from. False when the run
// cannot go on: `refusal` tells why, or when it is empty run_outcome() does
// (a body or file that cannot be read, 66 or 74; a body that is not UTF-8,
// 65).
bool build_message(const Options& options, app::OptionsBody& body, mime::Message& message,
                   std::optional<Refusal>& refusal);

// The checks of the whole draft, in one walk of its parts: the draft to
// write is none of the files it is made from (64), and it is not larger
// than a message can be (65).
std::optional<Refusal> check_draft(const mime::Message& message, const Options& options);

}  // namespace cli
