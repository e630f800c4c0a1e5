// What a draft built from the options holds, told without reading it back:
// its tree of parts as lines for a person (--dry-run) and one JSON object
// for a script (--json). Both are walks of the tree that the writer walks,
// so they cannot tell of another draft than the one written.
#pragma once

#include <string>

#include "cli/options.h"
#include "mime/message.h"

namespace cli {

// The version of the JSON report's layout. Fields may be added within a
// version; one that changes or goes makes the next.
inline constexpr int kReportVersion = 1;

// Makes every part whose body is a stream (the text parts, whose bytes are
// made from the body as they are written) count what it gives into its
// body's size each time it runs, so that the size told is that of the
// bytes written, before their transfer encoding.
void count_stream_sizes(mime::Message& message);

// Runs every stream of the draft once, its bytes going nowhere, so that
// each part's size is known without writing anything. False when one fails;
// run_outcome() then tells why, as it would for the run that writes.
bool run_streams(const mime::Message& message);

// The tree as the README draws it: one line a part, the type indented under
// its container, then for a leaf its file name, size, disposition,
// Content-ID and the file it comes from.
std::string structure_text(const mime::Message& message, const Options& options);

// One JSON object on one line: the report's version, the draft's path, its
// header fields as a reader decodes them, and its tree of parts.
std::string json_report(const mime::Message& message, const Options& options);

}  // namespace cli
