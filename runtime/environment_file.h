// The environment file beside the program: KEY=VALUE lines with the BRI keys
// that change the locale (collating sequence, case pairs, digraphs, month
// names, AM/PM texts, button captions, message texts). Whatever the file
// holds, no byte outside the reader's fixed-size buffers is touched: over-long
// keys, values and items are cut.
#pragma once

#include <cstdint>

namespace rt {

class Locale;

constexpr uint32_t kEnvironmentBufferSize = 2048;
constexpr uint32_t kEnvironmentKeyCapacity = 31;
constexpr uint32_t kEnvironmentValueCapacity = 1024;
// Prepared values: a quoted value as written, or the value turned into a
// quoted list.
constexpr uint32_t kPreparedQuotedCapacity = 400;
constexpr uint32_t kPreparedListCapacity = 396;

// The program's path with the extension of its file name replaced by ".ENV"
// (appended when the file name has none). Returns false when the result does
// not fit in `size` bytes with its NUL.
bool environment_file_path(const char* program_path, char* out, uint32_t size);

// Reads the environment file at `path` into `locale`. When it cannot be
// opened, error code 2 is posted and nothing changes.
void read_environment_file(Locale& locale, const char* path);

// Reads environment-file text held in memory (the same rules; 0x1A ends it).
void read_environment_text(Locale& locale, const char* data, uint32_t size);

// Applies one key and its raw value (after escapes and trailing blanks were
// handled) to `locale`. Unknown keys are ignored.
void apply_environment_key(Locale& locale, const char* key, const char* value,
                           uint32_t value_length);

}  // namespace rt
