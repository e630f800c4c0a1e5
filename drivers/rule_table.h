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
//   - kKeyBuilt, the key's built bit, is never in the file's state.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <tuple>

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

// States that rows name together: what SET and RESET start, what a failed
// read in sequence loses, the requests a read meets, what a write lets go.
inline constexpr uint32_t kNewSequence = kSequenceSet | kSequenceFresh;
inline constexpr uint32_t kSequenceLost = kRecordCurrent | kNewSequence;
inline constexpr uint32_t kRequests = kWatchRequested | kHoldRequested;
inline constexpr uint32_t kWatchedAndHeld = kWatched | kHeld;

// A row names only the columns it uses; the others are empty.
struct RuleRow {
  uint32_t post = 0;                // PostAction flags added on success
  uint32_t required = 0;            // states the operation needs
  uint32_t forbidden = 0;           // states that refuse it
  uint32_t set = 0;                 // states set on success
  uint32_t cleared = 0;             // states cleared on success
  uint32_t cleared_on_failure = 0;  // states cleared when it fails
};

// One row per operation code 0..95 (0, 35 and 39 are empty rows), here so
// that an operation known where it is dispatched has its row folded in.
// ORDER: enum Op.
inline constexpr std::array<RuleRow, kLastOperation + 1> kRuleTable = {{
    // 0
    {},
    // 1 ADD
    {.post = kPostClearError,
     .required = kOpen | kWriteAccess,
     .set = kRecordCurrent,
     .cleared = kWatchedAndHeld},
    // 2 BOF
    {.required = kOpen | kSequenceSet},
    // 3 BUILDfile
    {.post = kPostClearError,
     .required = kWriteAccess | kExclusive,
     .forbidden = kTransaction,
     .cleared_on_failure = kSequenceLost},
    // 4 APPEND
    {.post = kPostClearError, .required = kOpen | kWriteAccess},
    // 5 BUILDdyn
    {.post = kPostClearError, .required = kOpen, .forbidden = kTransaction, .set = kKeyBuilt},
    // 6 BUILDkey
    {.post = kPostClearError, .required = kWriteAccess | kExclusive, .forbidden = kTransaction},
    // 7 CLOSE
    {.post = kPostClearError | kPostDiscard,
     .required = kOpen,
     .forbidden = kTransaction,
     .cleared = kOpen | kKeyBuilt},
    // 8 COMMIT
    {.post = kPostClearError, .required = kOpen | kTransaction, .cleared = kTransaction},
    // 9 COPY
    {.post = kPostClearError | kPostDiscard, .forbidden = kOpen},
    // 10 CREATE
    {.post = kPostClearError | kPostDiscard, .forbidden = kOpen},
    // 11 DELETE
    {.post = kPostClearError,
     .required = kOpen | kRecordCurrent | kWriteAccess,
     .cleared = kRecordCurrent},
    // 12 DUPLICATE
    {.post = kPostClearError, .required = kOpen | kWriteAccess},
    // 13 EMPTY
    {.post = kPostClearError,
     .required = kOpen | kWriteAccess | kExclusive,
     .forbidden = kTransaction},
    // 14 EOF
    {.required = kOpen | kSequenceSet},
    // 15 GETfilekey
    {.post = kPostClearError,
     .required = kOpen | kKeyBuilt,
     .set = kRecordCurrent,
     .cleared = kRequests,
     .cleared_on_failure = kRecordCurrent},
    // 16 GETfileptr
    {.post = kPostClearError,
     .required = kOpen,
     .set = kRecordCurrent,
     .cleared = kRequests,
     .cleared_on_failure = kRecordCurrent},
    // 17 GETkeyptr
    {.post = kPostClearError,
     .required = kOpen | kKeyBuilt,
     .set = kRecordCurrent,
     .cleared = kRequests,
     .cleared_on_failure = kRecordCurrent},
    // 18 HOLDfile
    {.post = kPostClearError, .required = kOpen, .set = kHoldRequested},
    // 19 HOLDfilesec
    {.post = kPostClearError, .required = kOpen, .set = kHoldRequested},
    // 20 LOCKfile
    {.post = kPostClearError, .required = kOpen, .forbidden = kLocked, .set = kLocked | kExclusive},
    // 21 LOCKfilesec
    {.post = kPostClearError, .required = kOpen, .forbidden = kLocked, .set = kLocked | kExclusive},
    // 22 LOGOUT
    {.post = kPostClearError, .required = kOpen, .forbidden = kTransaction, .set = kTransaction},
    // 23 NAME
    {},
    // 24 NEXT
    {.post = kPostClearError | kPostSequential,
     .required = kOpen | kSequenceSet,
     .set = kRecordCurrent,
     .cleared = kRequests,
     .cleared_on_failure = kSequenceLost},
    // 25 OPEN
    {.post = kPostClearError, .forbidden = kOpen, .set = kOpen},
    // 26 PACK
    {.post = kPostClearError,
     .required = kWriteAccess | kExclusive,
     .forbidden = kTransaction,
     .cleared = kRecordCurrent | kSequenceSet,
     .cleared_on_failure = kSequenceLost},
    // 27 POINTERfile
    {.required = kOpen | kRecordCurrent},
    // 28 POINTERkey
    {.required = kOpen | kRecordCurrent | kKeyBuilt},
    // 29 FLUSH
    {.post = kPostClearError, .required = kOpen, .cleared = kStreamActive},
    // 30 PUT
    {.post = kPostClearError,
     .required = kOpen | kRecordCurrent | kWriteAccess,
     .cleared = kWatchedAndHeld},
    // 31 PREVIOUS
    {.post = kPostClearError | kPostSequential,
     .required = kOpen | kSequenceSet,
     .set = kRecordCurrent,
     .cleared = kRequests,
     .cleared_on_failure = kSequenceLost},
    // 32 RECORDSfile
    {.required = kOpen},
    // 33 RECORDSkey
    {.required = kOpen | kKeyBuilt},
    // 34 BUILDdynfilter
    {.post = kPostClearError, .required = kOpen, .forbidden = kTransaction, .set = kKeyBuilt},
    // 35 (unassigned)
    {},
    // 36 RELEASE
    {.post = kPostClearError, .required = kOpen, .cleared = kHeld},
    // 37 REMOVE
    {.post = kPostClearError | kPostDiscard, .forbidden = kOpen},
    // 38 RENAME
    {.post = kPostClearError | kPostDiscard, .forbidden = kOpen},
    // 39 (unassigned)
    {},
    // 40 ROLLBACK
    {.post = kPostClearError, .required = kOpen | kTransaction, .cleared = kTransaction},
    // 41 SETfile
    {.post = kPostClearError | kPostSequential,
     .required = kOpen,
     .set = kNewSequence,
     .cleared_on_failure = kNewSequence},
    // 42 SETfilekey
    {.post = kPostClearError | kPostSequential,
     .required = kOpen | kKeyBuilt,
     .set = kNewSequence,
     .cleared_on_failure = kNewSequence},
    // 43 SETfileptr
    {.post = kPostClearError | kPostSequential,
     .required = kOpen,
     .set = kNewSequence,
     .cleared_on_failure = kNewSequence},
    // 44 SETkey
    {.post = kPostClearError | kPostSequential,
     .required = kOpen | kKeyBuilt,
     .set = kNewSequence,
     .cleared_on_failure = kNewSequence},
    // 45 SETkeykey
    {.post = kPostClearError | kPostSequential,
     .required = kOpen | kKeyBuilt,
     .set = kNewSequence,
     .cleared_on_failure = kNewSequence},
    // 46 SETkeyptr
    {.post = kPostClearError | kPostSequential,
     .required = kOpen | kKeyBuilt,
     .set = kNewSequence,
     .cleared_on_failure = kNewSequence},
    // 47 SETkeykeyptr
    {.post = kPostClearError | kPostSequential,
     .required = kOpen | kKeyBuilt,
     .set = kNewSequence,
     .cleared_on_failure = kNewSequence},
    // 48 SHARE
    {.post = kPostClearError, .forbidden = kOpen, .set = kOpen},
    // 49 SKIP
    {.post = kPostClearError | kPostSequential,
     .required = kOpen | kSequenceSet,
     .cleared = kRecordCurrent,
     .cleared_on_failure = kSequenceLost},
    // 50 UNLOCK
    {.post = kPostClearError,
     .required = kOpen | kLocked,
     .forbidden = kTransaction,
     .cleared = kLocked},
    // 51 ADDfilelen
    {.post = kPostClearError, .required = kOpen, .cleared = kWatchedAndHeld},
    // 52 BYTES
    {.post = kPostClearError, .required = kOpen},
    // 53 GETfileptrlen
    {.post = kPostClearError,
     .required = kOpen,
     .set = kRecordCurrent,
     .cleared = kRequests,
     .cleared_on_failure = kRecordCurrent},
    // 54 PUTfileptr
    {.post = kPostClearError,
     .required = kOpen | kWriteAccess,
     .cleared = kWatchedAndHeld,
     .cleared_on_failure = kRecordCurrent},
    // 55 PUTfileptrlen
    {.post = kPostClearError,
     .required = kOpen | kWriteAccess,
     .cleared = kWatchedAndHeld,
     .cleared_on_failure = kRecordCurrent},
    // 56 STREAM
    {.post = kPostClearError, .required = kOpen, .forbidden = kStreamActive, .set = kStreamActive},
    // 57 DUPLICATEkey
    {.post = kPostClearError, .required = kOpen | kKeyBuilt},
    // 58 WATCH
    {.post = kPostClearError, .required = kOpen, .set = kWatchRequested},
    // 59 APPENDlen
    {.post = kPostClearError, .required = kOpen | kWriteAccess, .cleared = kWatchedAndHeld},
    // 60 SEND
    {.post = kPostClearError, .set = kSettingsKept},
    // 61 POSITIONfile
    {.post = kPostClearError, .required = kOpen | kRecordCurrent},
    // 62 POSITIONkey
    {.post = kPostClearError, .required = kOpen | kRecordCurrent | kKeyBuilt},
    // 63 RESETfile
    {.post = kPostClearError | kPostSequential,
     .required = kOpen,
     .set = kNewSequence,
     .cleared_on_failure = kNewSequence},
    // 64 RESETkey
    {.post = kPostClearError | kPostSequential,
     .required = kOpen | kKeyBuilt,
     .set = kNewSequence,
     .cleared_on_failure = kNewSequence},
    // 65 NOMEMO
    {.required = kOpen},
    // 66 REGETfile
    {.post = kPostClearError, .required = kOpen, .set = kRecordCurrent, .cleared = kRequests},
    // 67 REGETkey
    {.post = kPostClearError,
     .required = kOpen | kKeyBuilt,
     .set = kRecordCurrent,
     .cleared = kRequests},
    // 68 NULL
    {.post = kPostClearError, .required = kOpen},
    // 69 SETNULL
    {.post = kPostClearError, .required = kOpen},
    // 70 SETNONULL
    {.post = kPostClearError, .required = kOpen},
    // 71 SET_PROPERTY
    {.post = kPostClearError, .set = kSettingsKept},
    // 72 GET_PROPERTY
    {},
    // 73 QUERY_KEY
    {.required = kOpen | kKeyBuilt},
    // 74 QUERY_VIEW
    {},
    // 75 BLOB_YIELD
    {.post = kPostClearError, .required = kOpen},
    // 76 BLOB_TAKE
    {.post = kPostClearError, .required = kOpen},
    // 77 BLOB_SIZE
    {.required = kOpen | kRecordCurrent},
    // 78 BLOB_GET_PROP
    {.post = kPostClearError, .required = kOpen, .set = kSettingsKept},
    // 79 BLOB_SET_PROP
    {.post = kPostClearError, .required = kOpen},
    // 80 BUFFER
    {.post = kPostClearError, .required = kOpen},
    // 81 SETview
    {.post = kPostClearError | kPostSequential,
     .required = kOpen,
     .set = kSequenceSet,
     .cleared_on_failure = kSequenceSet},
    // 82 CLEAR
    {.required = kOpen},
    // 83 RESETviewfile
    {.post = kPostClearError | kPostSequential,
     .required = kOpen,
     .set = kNewSequence,
     .cleared_on_failure = kNewSequence},
    // 84 BUILDevent
    {.post = kPostClearError,
     .required = kWriteAccess | kExclusive,
     .forbidden = kTransaction,
     .cleared_on_failure = kSequenceLost},
    // 85 SETPROPERTYkey
    {.post = kPostClearError, .set = kSettingsKept},
    // 86 GETPROPERTYkey
    {},
    // 87 Internal
    {},
    // 88 DO_PROPERTY
    {.post = kPostClearError, .set = kSettingsKept},
    // 89 DOPROPERTYkey
    {.post = kPostClearError, .set = kSettingsKept},
    // 90 DOPROPERTYblob
    {.post = kPostClearError, .set = kSettingsKept},
    // 91 Internal
    {},
    // 92 INVIEW
    {.post = kPostClearError, .required = kOpen, .forbidden = kKeyBuilt, .set = kKeyBuilt},
    // 93 ENDVIEW
    {.post = kPostClearError, .required = kOpen, .cleared = kKeyBuilt},
    // 94 Internal
    {.post = kPostClearError, .forbidden = kOpen},
    // 95 COUNTRECORDS
    {.required = kOpen},
}};
static_assert(std::tuple_size_v<decltype(kRuleTable)> == 96, "one row per operation code 0..95");

inline const RuleRow& rule_of(int32_t code) {
  return kRuleTable[code];
}

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

namespace detail {

constexpr std::array<QuickRule, kLastOperation + 1> make_quick_rules() {
  std::array<QuickRule, kLastOperation + 1> rules{};
  for (std::size_t code = 0; code < rules.size(); ++code) {
    const RuleRow& row = kRuleTable[code];
    // kKeyBuilt is the key's; an operation without a key never checks it.
    uint32_t need = (row.required & ~kKeyBuilt) | kOpen;
    uint32_t refused = (row.forbidden & ~kKeyBuilt) | kBuildInProgress;
    // An operation that refuses open (OPEN, CREATE, ...) never passes
    // quickly: it needs the key bit, which a file's state never holds.
    if (refused & need) need = kKeyBuilt;
    rules[code] = {need | refused | kKeyBuilt, need};
  }
  return rules;
}

}  // namespace detail

inline constexpr std::array<QuickRule, kLastOperation + 1> kQuickRules = detail::make_quick_rules();
static_assert(kQuickRules[OP_NEXT].need == (kOpen | kSequenceSet),
              "NEXT needs an open file in sequence");
static_assert(kQuickRules[OP_ADD].need == (kOpen | kWriteAccess),
              "ADD needs an open file written to");
static_assert(kQuickRules[OP_OPEN].need == kKeyBuilt, "OPEN never passes quickly");

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
// columns apply (kKeyBuilt goes to the key's flags, never to the file)
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
