// What a driver is: its descriptor (names, supported operations and field
// types, and the hooks that make it differ from the other drivers), and the
// operation in progress as its hooks see it.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <utility>
#include <cstdint>

#include "drivers/file_declaration.h"
#include "drivers/file_instance.h"
#include "drivers/operation_codes.h"
#include "runtime/string_value.h"

namespace drv {

// Internal outcome of an operation that the rules refused without an error.
inline constexpr int32_t kSilentFailure = -1;

inline constexpr uint32_t kAnswerSize = 256;

// One driver operation in progress.
struct Operation {
  int32_t code;
  const DriverArg* args;
  const KeyDescriptor* key;
  rt::HeapString strings[2];  // popped string arguments, first popped first
  int32_t value;              // the value of a function-like statement
  // A string-valued operation's answer: `text` when set, else `answer`.
  const char* text;
  uint32_t text_length;
  bool has_text;
  char answer[kAnswerSize];

  int32_t number(int i) const { return args ? args[i].number : 0; }
  void answer_text(const char* t, uint32_t length) {
    text = t, text_length = length, has_text = true;
  }
  // Copies a text into the answer buffer (cut to its size).
  void answer_copy(const char* t, uint32_t length);
};

// A driver's own operation: 0, an error code or kSilentFailure.
using RecordHandler = int32_t (*)(FileInstance& file, Operation& op);
// ORDER: enum Op; null where the driver has no operation of its own.
using RecordHandlers = std::array<RecordHandler, kLastOperation + 1>;

struct DriverDescriptor {
  const char* name;              // "ASCII", "DOS"
  const char* library_names[2];  // the names the driver is also known by
  const char* description;
  DriverEntry entry;
  const uint8_t* operations;     // supported operation codes, count first
  const uint8_t* field_types;    // supported field types, count first
  const char* profile_section;   // tracing settings
  const char* default_log;

  // Opens the file of an instance whose name is expanded; 0 or an error.
  int32_t (*open)(FileInstance& file, uint32_t mode);
  // Writes out, commits, closes and frees the driver part (after a failed
  // open too); 0, or 5 when what was written could not reach the file.
  int32_t (*close)(FileInstance& file);
  // The driver's own record operations by code.
  const RecordHandlers* record_handlers;
  // Handles one option text (white space removed, upper case) and answers.
  void (*option)(FileInstance& file, const char* text, uint32_t length, Operation& op);
};

// True when `code` is in the descriptor's supported list.
bool supports_operation(const DriverDescriptor& driver, int32_t code);

// The operations that append or write a record.
inline constexpr int32_t kWriteOperations[] = {OP_ADD,       OP_ADDfilelen,  OP_APPEND,
                                               OP_APPENDlen, OP_PUT,         OP_PUTfileptr,
                                               OP_PUTfileptrlen};

// A handler table: `write` for every write operation, then (code, handler) pairs.
constexpr RecordHandlers make_record_handlers(
    RecordHandler write, std::initializer_list<std::pair<int32_t, RecordHandler>> entries) {
  RecordHandlers table{};
  for (int32_t code : kWriteOperations) table[code] = write;
  for (const auto& [code, handler] : entries) table[code] = handler;
  return table;
}

// A supported-operation list, count first: the codes of `common` and `extra`.
template <size_t N, size_t M>
constexpr std::array<uint8_t, 1 + N + M> operation_list(const std::array<uint8_t, N>& common,
                                                        const std::array<uint8_t, M>& extra) {
  std::array<uint8_t, 1 + N + M> list{};
  list[0] = uint8_t(N + M);
  for (size_t i = 0; i < N; ++i) list[1 + i] = common[i];
  for (size_t i = 0; i < M; ++i) list[1 + N + i] = extra[i];
  return list;
}

}  // namespace drv
