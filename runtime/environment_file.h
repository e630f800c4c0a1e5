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

// Prepares a value for item reading: leading blanks skipped; a value that
// begins with a double quote is kept as written (at most 400 bytes), any
// other becomes a quoted list (quotes doubled, each comma splitting items
// unless `keep_commas`), at most 396 bytes. Returns the prepared length.
uint32_t prepare_environment_value(const char* value, uint32_t length, bool keep_commas,
                                   char (&out)[kPreparedQuotedCapacity]);

// Reads item `index` (from 0) of a prepared value into `out` (at most
// `capacity` bytes, no NUL). Items are separated by spaces and commas; a
// quoted item may hold anything, two double quotes in it standing for one.
// Returns false when there is no such item.
bool read_environment_item(const char* prepared, uint32_t length, uint32_t index, char* out,
                           uint32_t capacity, uint32_t* out_length);

}  // namespace rt
