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
#include "drivers/open_files.h"
#include "drivers/operation_codes.h"
#include "drivers/rule_table.h"
#include "services/error_state.h"

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
// passes the rules without a question. Null for anything else. A steady
// run of the instance returned has ended.
inline FileInstance* quick_instance(const DriverDescriptor& driver, int32_t code,
                                    FileDeclaration* declared) {
  if (uint32_t(code) > uint32_t(kLastOperation) || code == OP_QUERY_VIEW ||
      (kOperationClasses[code] & kFullDispatchClasses))
    return nullptr;
  if (!works_on_declared(declared)) return nullptr;
  FileInstance* inst = declared->instance;
  if (!inst || inst->driver != &driver || inst->trace_on || !passes_quickly(code, inst->state))
    return nullptr;
  end_steady_run(*inst);
  return inst;
}

// The post actions that a run of reads and writes seldom meets: clearing an
// error state that is not clear, and the discard. Returns `value`.
int32_t finish_post_actions(FileDeclaration* file, uint32_t post, int32_t value);

// The steps after an operation that succeeded, for a quick instance, with
// the post-action flags the operation left. Returns the statement's value.
[[gnu::always_inline]] inline int32_t settle_success(FileInstance& inst, int32_t code,
                                                     FileDeclaration* declared, int32_t value,
                                                     uint32_t post) {
  update_state(code, true, inst.state, nullptr, post);
  inst.post = post;
  inst.last_error = 0;
  if (post & kPostSequential) inst.last_sequential = code;
  if (post & kPostDiscard) return finish_post_actions(declared, post, value);
  if ((post & kPostClearError) && !svc::error_state().is_clear())
    return finish_post_actions(declared, post, value);
  return value;
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
  return settle_success(inst, code, declared, op.value, inst.post);
}

// run_quickly with the descriptor's handler, out of line.
int32_t run_instance(const DriverDescriptor& driver, FileInstance& inst, int32_t code,
                     FileDeclaration* declared, const DriverArg* args);

}  // namespace detail

// Runs operation `code` of `driver` on a declared file. Returns the value of a
// function-like statement (EOF, BOF, POINTER, BYTES, RECORDS), else 0.
inline int32_t dispatch(const DriverDescriptor& driver, int32_t code, FileDeclaration* file,
                        const DriverArg* args) {
  if (FileInstance* inst = detail::quick_instance(driver, code, file))
    return detail::run_quickly((*driver.record_handlers)[code], *inst, code, file, args);
  return dispatch_fully(driver, code, file, args);
}

// The same for an operation that the driver entry has singled out: `Take`
// does the whole operation when it can be done at once (a read that the
// block serves), answering true, or answers false and leaves everything as
// it was for the usual way. It sets no post action, so the flags are those
// of the rule alone; the answer of the operation is 0.
template <int32_t Code, bool (*Take)(FileInstance&)>
inline int32_t dispatch_known(const DriverDescriptor& driver, FileDeclaration* file,
                              const DriverArg* args) {
  FileInstance* inst = detail::quick_instance(driver, Code, file);
  if (!inst) return dispatch_fully(driver, Code, file, args);
  assert(state_is_consistent(inst->state));
  if (!Take(*inst)) return detail::run_instance(driver, *inst, Code, file, args);
  return detail::settle_success(*inst, Code, file, 0, 0);
}

}  // namespace drv
