// The dispatch that every driver entry runs: state rules, the operation, the
// state update, tracing, string arguments and results, error posting.
//
// A record read or write on an open, untraced file whose state passes the
// rules without a question (the program's byte-by-byte reads and line-by-line
// writes) runs every step inline here; everything else takes the full
// dispatch. Both run the same steps in the same order.
#pragma once

#include <cassert>
#include <cstdint>

#include "drivers/common_operations.h"
#include "drivers/driver_interface.h"
#include "drivers/error_state.h"
#include "drivers/open_files.h"
#include "drivers/operation_codes.h"
#include "drivers/rule_table.h"

namespace drv {

// Frees an instance and empties the declaration's slot; the file leaves the
// list of files in use.
void discard_instance(FileDeclaration* file);

// Every step of an operation, for any operation and any state.
int32_t dispatch_fully(const DriverDescriptor& driver, int32_t code, FileDeclaration* file,
                       const DriverArg* args);
// The steps after a record operation of the inline path that failed: the
// state update, the discard and the error posting. Returns its value.
int32_t conclude_failure(FileInstance& inst, FileDeclaration* file, int32_t code,
                         int32_t error);

namespace detail {

// The class bits of an operation that needs a step of the full dispatch.
inline constexpr uint8_t kFullDispatchClasses =
    kStaleCheck | kOneString | kTwoStrings | kStringValued | kKeyArgument;

// The instance of an operation whose every step but the operation itself is
// settled at once: no stale check, string, key or string result, the
// caller's own declaration, an instance that is not traced and a state that
// passes the rules without a question. Null for anything else.
inline FileInstance* quick_instance(const DriverDescriptor& driver, int32_t code,
                                    FileDeclaration* declared) {
  if (uint32_t(code) > uint32_t(kLastOperation) || code == OP_QUERY_VIEW ||
      (kOperationClasses[code] & kFullDispatchClasses))
    return nullptr;
  if ((declared->attributes & kDeclThread) && t_thread_number != 1) return nullptr;
  FileInstance* inst = declared->instance;
  if (!inst || inst->driver != &driver || inst->trace_on || !passes_quickly(code, inst->state))
    return nullptr;
  return inst;
}

inline ErrorState& dispatch_errors() {
  static ErrorState& errors = error_state();
  return errors;
}

// The state update and post actions of an operation that ran (or was
// refused by the rules). Returns true when the instance is to be discarded.
[[gnu::always_inline]] inline bool settle_instance(FileInstance& inst, int32_t code, int32_t error,
                            const KeyDescriptor* key) {
  bool success = error == 0;
  uint32_t state = inst.state, post = inst.post;
  uint32_t* key_flags = key ? &const_cast<KeyDescriptor*>(key)->flags : nullptr;
  update_state(code, success, state, key_flags, post);
  inst.state = state;
  inst.post = post;
  inst.last_error = error == kSilentFailure ? 0 : error;
  if (success && (post & kPostClearError)) {
    // A run of successful reads and writes finds the state clear already.
    ErrorState& errors = dispatch_errors();
    if (errors.code() != 0 || errors.failing_file() != nullptr) errors.clear();
  }
  if (success && (post & kPostSequential)) inst.last_sequential = code;
  return (post & kPostDiscard) != 0;
}

// The operation (`handler`, the driver's own for `code`, or null for a
// common operation) and the steps after it, for a quick instance.
[[gnu::always_inline]] inline int32_t run_quickly(RecordHandler handler, FileInstance& inst,
                                                  int32_t code, FileDeclaration* declared,
                                                  const DriverArg* args) {
  assert(state_is_consistent(inst.state));
  Operation op;
  op.code = code;
  op.args = args;
  op.key = nullptr;
  op.strings[0] = op.strings[1] = rt::HeapString{};
  op.value = 0;
  op.has_text = false;
  inst.post = 0;
  int32_t error = handler ? handler(inst, op) : perform_operation(inst, op);
  if (error != 0) return conclude_failure(inst, declared, code, error);
  if (settle_instance(inst, code, 0, nullptr)) discard_instance(declared);
  return op.value;
}

}  // namespace detail

// Runs operation `code` of `driver` on a declared file. Returns the value of a
// function-like statement (EOF, BOF, POINTER, BYTES, RECORDS), else 0.
inline int32_t dispatch(const DriverDescriptor& driver, int32_t code, FileDeclaration* file,
                        const DriverArg* args) {
  if (FileInstance* inst = detail::quick_instance(driver, code, file))
    return detail::run_quickly((*driver.record_handlers)[code], *inst, code, file, args);
  return dispatch_fully(driver, code, file, args);
}

// The same for an operation that the driver entry has singled out, with its
// record handler (the descriptor's own for `Code`) named at compile time, so
// that the handler can be compiled into the entry: the byte-by-byte reads.
template <int32_t Code, RecordHandler Handler>
inline int32_t dispatch_known(const DriverDescriptor& driver, FileDeclaration* file,
                              const DriverArg* args) {
  if (FileInstance* inst = detail::quick_instance(driver, Code, file))
    return detail::run_quickly(Handler, *inst, Code, file, args);
  return dispatch_fully(driver, Code, file, args);
}

}  // namespace drv
