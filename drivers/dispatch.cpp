#include "drivers/dispatch.h"

#include <cassert>
#include <cstring>

#include "drivers/common_operations.h"
#include "drivers/driver_trace.h"
#include "drivers/open_files.h"
#include "drivers/operation_codes.h"
#include "drivers/rule_table.h"
#include "platform/last_error.h"
#include "runtime/string_stack.h"
#include "services/error_state.h"
#include "services/heap.h"

namespace drv {
namespace {

// A heap C string of a declared text; null for a null text. `ok` turns false
// when memory runs out.
char* copy_text(DeclaredText t, bool& ok) {
  if (!t.text) return nullptr;
  auto* copy = static_cast<char*>(svc::allocate(t.length + 1));
  if (!copy) {
    ok = false;
    return nullptr;
  }
  std::memcpy(copy, t.text, t.length);
  copy[t.length] = 0;
  return copy;
}

void replace_text(char*& slot, DeclaredText t) {
  bool ok = true;
  char* fresh = copy_text(t, ok);
  if (!ok) return;  // the old text stays when memory runs out
  svc::release(slot);
  slot = fresh;
}

void free_instance(FileInstance* inst) {
  svc::release(inst->name);
  svc::release(inst->owner);
  svc::release(inst->driver_string);
  release_field_table(inst->fields);
  svc::release(inst);
}

// Makes the instance of a file that has none: 0, or the error that stops the
// operation (47 bad declaration, 75 bad descriptor, 8 no memory).
int32_t create_instance(const DriverDescriptor& driver, FileDeclaration* file) {
  if (file->record_length > 0x7FFFFFFFu || (file->key_count && !file->keys) ||
      (file->memo_count && !file->memos))
    return svc::err::invalid_record_declaration;
  auto* inst = static_cast<FileInstance*>(svc::allocate_zeroed(1, sizeof(FileInstance)));
  if (!inst) return svc::err::insufficient_memory;
  int32_t error = build_field_table(file->record_descriptor, file->record_length, inst->fields);
  bool ok = true;
  inst->name = copy_text(trimmed_text(file->name, file->name_length), ok);
  inst->owner = copy_text(declared_text(file->owner, file->owner_length), ok);
  inst->driver_string =
      copy_text(declared_text(file->driver_string, file->driver_string_length), ok);
  if (error == 0 && !ok) error = svc::err::insufficient_memory;
  if (error != 0) {
    free_instance(inst);
    return error;
  }
  inst->attributes = uint8_t((file->attributes >> 1) & 0x3F);
  inst->record = file->record;
  inst->record_length = file->record_length;
  inst->key_count = file->key_count;
  inst->keys = file->keys;
  inst->memo_count = file->memo_count;
  inst->memos = file->memos;
  inst->driver = &driver;
  inst->declaration = file;
  file->instance = inst;
  trace_setup(*inst);
  enter_file_in_use(file);
  return 0;
}

bool key_belongs(const FileDeclaration* file, const KeyDescriptor* key) {
  for (uint32_t i = 0; i < file->key_count; ++i)
    if (key == &file->keys[i]) return true;
  return false;
}

bool only_spaces(const rt::HeapString& s) {
  for (uint32_t i = 0; i < s.length; ++i)
    if (s.text[i] != ' ') return false;
  return true;
}

// While the file is closed, the texts its property flags name are taken
// from the declaration again.
void refresh_from_declaration(FileInstance& inst) {
  const FileDeclaration* d = inst.declaration;
  if (inst.properties & kRefreshName) replace_text(inst.name, trimmed_text(d->name, d->name_length));
  if (inst.properties & kRefreshOwner)
    replace_text(inst.owner, declared_text(d->owner, d->owner_length));
  if (inst.properties & kRefreshDriverString)
    replace_text(inst.driver_string, declared_text(d->driver_string, d->driver_string_length));
}

// The rules check, then the operation: 0, an error code or kSilentFailure.
int32_t check_and_perform(FileInstance& inst, Operation& op) {
  inst.post = 0;
  if (op.key && !key_belongs(inst.declaration, op.key)) return svc::err::invalid_key_file;
  if (!(inst.state & kOpen) && inst.properties) refresh_from_declaration(inst);
  RuleVerdict verdict = check_rules(op.code, inst.state, op.key ? &op.key->flags : nullptr);
  if (verdict.kind == RuleVerdict::kError) return verdict.code;
  if (verdict.kind == RuleVerdict::kSilent) return kSilentFailure;
  uint8_t classes = operation_class(op.code);
  if ((classes & kPositionText) && only_spaces(op.strings[0])) return svc::err::record_not_found;
  if ((classes & kEmptyArgumentDone) && op.strings[0].length == 0) return 0;
  if (RecordHandler handler = (*inst.driver->record_handlers)[op.code]) return handler(inst, op);
  return perform_operation(inst, op);
}

void push_result(const Operation& op) {
  rt::StringStack& stack = rt::string_stack();
  if (op.has_text) {
    stack.push_borrowed(op.text, op.text_length);
    stack.make_top_stable();  // the text may live in the instance or on this frame
  } else {
    stack.push_empty();
  }
}

// Clears the error state unless it is clear already: the common case of a
// run of successful reads and writes.
void clear_error_state() {
  svc::ErrorState& errors = svc::error_state();
  if (!errors.is_clear()) errors.clear();
}

// The state update and post actions of an operation that ran (or was
// refused by the rules). Returns true when the instance is to be discarded.
bool settle_instance(FileInstance& inst, int32_t code, int32_t error, const KeyDescriptor* key) {
  bool success = error == 0;
  uint32_t state = inst.state, post = inst.post;
  uint32_t* key_flags = key ? &const_cast<KeyDescriptor*>(key)->flags : nullptr;
  update_state(code, success, state, key_flags, post);
  inst.state = state;
  inst.post = post;
  inst.last_error = error == kSilentFailure ? 0 : error;
  if (success && (post & kPostClearError)) clear_error_state();
  if (success && (post & kPostSequential)) inst.last_sequential = code;
  return (post & kPostDiscard) != 0;
}

int32_t failed_value(int32_t code) { return code == OP_BOF || code == OP_EOF ? 1 : 0; }

// The steps after the operation: state update, post actions, discard and
// the error posting. Returns the statement's value.
int32_t conclude(FileInstance* inst, FileDeclaration* file, FileDeclaration* declared,
                 int32_t code, const KeyDescriptor* key, int32_t value, int32_t error,
                 bool stale_for_close) {
  // The system error behind a failed transfer: the file layer keeps it and
  // clears the system's own, so the post takes it from there.
  const uint32_t system_error = inst && inst->part.file ? inst->part.file->last_error : 0;
  if (inst && (settle_instance(*inst, code, error, key) || stale_for_close))
    discard_instance(file);
  if (error == 0) return value;
  if (error != kSilentFailure) {
    if (system_error != 0) plat::SetLastError(system_error);
    svc::error_state().post(error);
    svc::error_state().note_failing_file(declared);
  }
  return failed_value(code);
}

}  // namespace

void discard_instance(FileDeclaration* file) {
  FileInstance* inst = file->instance;
  if (!inst) return;
  if (inst->part.file || inst->part.block) inst->driver->close(*inst);
  file->instance = nullptr;
  leave_file_in_use(file);
  free_instance(inst);
}

void Operation::answer_copy(const char* t, uint32_t length) {
  if (length > kAnswerSize) length = kAnswerSize;
  std::memcpy(answer, t, length);
  answer_text(answer, length);
}

namespace detail {

int32_t finish_post_actions(FileDeclaration* file, uint32_t post, int32_t value) {
  if (post & kPostClearError) clear_error_state();
  if (post & kPostDiscard) discard_instance(file);
  return value;
}

int32_t run_instance(const DriverDescriptor& driver, FileInstance& inst, int32_t code,
                     FileDeclaration* declared, const DriverArg* args) {
  return run_quickly((*driver.record_handlers)[code], inst, code, declared, args);
}

}  // namespace detail

int32_t conclude_failure(FileInstance& inst, FileDeclaration* file, int32_t code,
                         int32_t error) {
  return conclude(&inst, file, file, code, nullptr, 0, error, false);
}

int32_t dispatch_fully(const DriverDescriptor& driver, int32_t code, FileDeclaration* declared,
                       const DriverArg* args) {
  if (code == OP_QUERY_VIEW) return 0;
  FileDeclaration* file = thread_declaration(declared);
  if (!file) {
    svc::error_state().post(svc::err::insufficient_memory);
    svc::error_state().note_failing_file(declared);
    return failed_value(code);
  }
  bool stale_for_close = false;
  if (file->instance && takes_stale_check(code) &&
      !(file->instance->state & (kOpen | kSettingsKept))) {
    if (code == OP_CLOSE) stale_for_close = true;
    else discard_instance(file);
  }

  Operation op;
  op.code = code;
  op.args = args;
  op.key = takes_key(code) && args ? static_cast<const KeyDescriptor*>(args[0].address) : nullptr;
  op.value = 0;
  op.has_text = false;
  int strings = string_argument_count(code);
  for (int i = 0; i < 2; ++i)
    op.strings[i] = i < strings ? rt::string_stack().pop_into_heap() : rt::HeapString{};

  int32_t error = file->instance ? 0 : create_instance(driver, file);
  FileInstance* inst = file->instance;
  uint32_t started = 0;
  if (inst) {
    end_steady_run(*inst);
    assert(state_is_consistent(inst->state));
    if (inst->trace_on) started = centiseconds();
    error = check_and_perform(*inst, op);
    if (inst->trace_on && code != OP_INTERNAL_87 && code != OP_DRIVER_ENTRY && inst->name &&
        inst->name[0])
      trace_operation(*inst, code, op.key, error == kSilentFailure ? 0 : error,
                      centiseconds() - started);
  }
  if (strings > 0)
    for (rt::HeapString& s : op.strings) rt::release_heap_string(s);
  if (is_string_valued(code)) push_result(op);
  return conclude(inst, file, declared, code, op.key, op.value, error, stale_for_close);
}

}  // namespace drv
