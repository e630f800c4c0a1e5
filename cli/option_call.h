// From checked options to the message procedure's call: the headers encoded
// and measured, the body file and pictures named for the run to read, and
// every file to embed or attach checked for reading, all before anything is
// written.
#pragma once

#include <optional>

#include "app/prepared_call.h"
#include "cli/options.h"

namespace cli {

// The page colour for black: the composer reads 0 as "no colour given" and
// writes white, and it uses only the low 24 bits of a colour.
inline constexpr int32_t kBlackPage = 1 << 24;

// Fills `call`; a refusal when a file cannot be read (66) or a text cannot be
// carried (65).
std::optional<Refusal> build_call(const Options& options, app::PreparedCall& call);

}  // namespace cli
