// The state rules of every driver operation: which file states an operation
// needs or refuses, and how it moves the state when it succeeds or fails.
//
// File states (bits of the instance's state flags):
//
//   no instance --(any operation)--------------------------> closed
//   closed      --(OPEN, SHARE)----------------------------> open
//   closed      --(CREATE, REMOVE, RENAME, COPY, failed OPEN)-> no instance
//   open        --(CLOSE)----------------------------------> no instance
//
//   open:   +write access (mode not a multiple of 4)  +exclusive (deny all/write)
//           SET, RESET -> sequence set, sequence fresh;  a read or write ->
//           record current;  LOCK -> locked;  LOGOUT -> transaction
//   closed: settings kept after SEND or a property operation; without them
//           the instance is stale and the next operation that names the file
//           as a whole (OPEN, CLOSE, COPY, ...) replaces it.
//
// Invariants (checked in debug builds at the top of each operation):
//   - without open, none of record current, locked, sequence set, write
//     access, exclusive, transaction or stream is set;
//   - sequence fresh implies sequence set;
//   - the key's built bit 0x100 is never in the file's state.
#pragma once

#include <array>
#include <cstdint>

#include "drivers/operation_codes.h"

namespace drv {

enum StateFlag : uint32_t {
  kOpen = 0x1,
  kRecordCurrent = 0x2,
  kTransaction = 0x4,
  kStreamActive = 0x8,
  kLocked = 0x10,
  kSequenceSet = 0x20,
  kWriteAccess = 0x40,
  kExclusive = 0x80,
  kKeyBuilt = 0x100,  // on a key, never on the file
  kWatchRequested = 0x200,
  kWatched = 0x400,
  kHoldRequested = 0x800,
  kHeld = 0x1000,
  kSequenceFresh = 0x2000,
  kBuildInProgress = 0x4000,
  kSettingsKept = 0x10000,
};

enum PostAction : uint32_t {
  kPostClearError = 1,
  kPostDiscard = 2,
  kPostSequential = 4,
};

struct RuleRow {
  uint32_t post;
  uint32_t required;
  uint32_t forbidden;
  uint32_t set;
  uint32_t cleared;
  uint32_t cleared_on_failure;
};

// One row per operation code 0..95 (0, 35 and 39 are empty rows).
// ORDER: enum Op.
extern const std::array<RuleRow, kLastOperation + 1> kRuleTable;

inline const RuleRow& rule_of(int32_t code) { return kRuleTable[code]; }

// Outcome of the rules check: proceed, refuse with an error code, or refuse
// silently (no error posted, instance's last error 0).
struct RuleVerdict {
  enum Kind { kProceed, kError, kSilent } kind;
  int32_t code;
};

// Checks an operation against the file state. `key_flags` are the flags of
// the key the operation names, null when it names none. Codes outside the
// table give error 80.
RuleVerdict check_rules_fully(int32_t code, uint32_t state, const uint32_t* key_flags);

// The same, with the common case (nothing missing, nothing forbidden, no
// key, no build) decided inline: it runs before every record read and write.
inline RuleVerdict check_rules(int32_t code, uint32_t state, const uint32_t* key_flags) {
  if (!key_flags && code >= 0 && code <= kLastOperation && !(state & kBuildInProgress)) {
    const RuleRow& row = kRuleTable[code];
    if (!(row.required & ~state & ~kKeyBuilt) && !(row.forbidden & state))
      return {RuleVerdict::kProceed, 0};
  }
  return check_rules_fully(code, state, key_flags);
}

// The rules check of an operation that names no key, folded into one test
// for the records loop: the operation proceeds at once when
// (state & mask) == need. Open is always needed and a build in progress
// always refused, so a closed file or a build goes to the full check, which
// also refreshes the texts and chooses the error.
struct QuickRule {
  uint32_t mask;
  uint32_t need;
};
// ORDER: enum Op.
extern const std::array<QuickRule, kLastOperation + 1> kQuickRules;

// True when an operation in 0..95 that names no key proceeds in `state`
// without any of the full check's cases applying.
inline bool passes_quickly(int32_t code, uint32_t state) {
  const QuickRule& rule = kQuickRules[code];
  return (state & rule.mask) == rule.need;
}

// Moves the state after a failed operation: the failure column, watched and
// watch requested are cleared; discard is added where the row discards
// (always for REMOVE, never for BYTES).
void update_state_on_failure(int32_t code, uint32_t& state, uint32_t& post);

// Moves the state after an operation ran. On success the set and cleared
// columns apply (bit 0x100 goes to the key's built flag, never to the file)
// after watched and held follow their requests, and the row's post flags are
// added to `post`.
inline void update_state(int32_t code, bool success, uint32_t& state, uint32_t* key_flags,
                         uint32_t& post) {
  if (code < 0 || code > kLastOperation) return;
  if (!success) return update_state_on_failure(code, state, post);
  const RuleRow& row = kRuleTable[code];
  // Watched follows watch requested and held follows hold requested (each
  // the bit above its request) where the row clears the request; without
  // branches, as the state is the one thing each read waits for.
  static_assert(kWatched == kWatchRequested << 1 && kHeld == kHoldRequested << 1);
  uint32_t following = (row.cleared & (kWatchRequested | kHoldRequested)) << 1;
  state = (state & ~following) | ((state << 1) & following);
  state = (state | (row.set & ~kKeyBuilt)) & ~(row.cleared & ~kKeyBuilt);
  if (key_flags) *key_flags = (*key_flags | (row.set & kKeyBuilt)) & ~(row.cleared & kKeyBuilt);
  post |= row.post;
}

// Debug-build check of the state invariants; returns true when they hold.
bool state_is_consistent(uint32_t state);

}  // namespace drv
