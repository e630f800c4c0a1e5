#include "drivers/rule_table.h"

#include "drivers/operation_codes.h"
#include "services/error_state.h"

namespace drv {

namespace {

// Operations that still run while a build is in progress.
bool allowed_during_build(int32_t code) {
  return code == OP_BUILDevent || code == OP_GET_PROPERTY || code == OP_GETPROPERTYkey ||
         code == OP_CLOSE || code == OP_NAME;
}

RuleVerdict verdict_for_missing(uint32_t missing, uint32_t state, const uint32_t* key_flags,
                                uint32_t required) {
  if (missing & kOpen) return {RuleVerdict::kError, svc::err::file_not_open};
  if (key_flags && (required & kKeyBuilt) && !(*key_flags & kKeyBuilt))
    return {RuleVerdict::kError, svc::err::key_file_must_be_rebuilt};
  if (!(state & kOpen)) return {RuleVerdict::kProceed, 0};
  if (missing & (kRecordCurrent | kSequenceSet))
    return {RuleVerdict::kError, svc::err::record_not_available};
  if (missing & kExclusive) return {RuleVerdict::kError, svc::err::exclusive_access_required};
  if (missing & kWriteAccess) return {RuleVerdict::kError, svc::err::access_denied};
  return {RuleVerdict::kSilent, 0};
}

}  // namespace

RuleVerdict check_rules_fully(int32_t code, uint32_t state, const uint32_t* key_flags) {
  if (code < 0 || code > kLastOperation)
    return {RuleVerdict::kError, svc::err::unsupported_driver_function};
  const RuleRow& row = kRuleTable[code];
  uint32_t missing = row.required & ~state & ~kKeyBuilt;
  bool key_missing = key_flags && (row.required & kKeyBuilt) && !(*key_flags & kKeyBuilt);
  if (missing == 0 && !key_missing) {
    if ((state & kBuildInProgress) && !allowed_during_build(code))
      return {RuleVerdict::kError, svc::err::build_in_progress};
    uint32_t present = row.forbidden & state;
    if (present & kOpen) return {RuleVerdict::kError, svc::err::file_already_open};
    if (present & kTransaction) return {RuleVerdict::kError, svc::err::logout_already_active};
    if (present) return {RuleVerdict::kSilent, 0};
    return {RuleVerdict::kProceed, 0};
  }
  return verdict_for_missing(missing, state, key_flags, row.required);
}

void update_state_on_failure(int32_t code, uint32_t& state, uint32_t& post) {
  const RuleRow& row = kRuleTable[code];
  if (code == OP_REMOVE || ((row.post & kPostDiscard) && code != OP_BYTES)) post |= kPostDiscard;
  state &= ~(row.cleared_on_failure | kWatched | kWatchRequested);
}

bool state_is_consistent(uint32_t state) {
  constexpr uint32_t kNeedOpen = kRecordCurrent | kTransaction | kStreamActive | kLocked |
                                 kSequenceSet | kWriteAccess | kExclusive;
  if (!(state & kOpen) && (state & kNeedOpen)) return false;
  if ((state & kSequenceFresh) && !(state & kSequenceSet)) return false;
  return (state & kKeyBuilt) == 0;
}

}  // namespace drv
