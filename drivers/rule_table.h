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

struct RuleRow {
  uint32_t post;
  uint32_t required;
  uint32_t forbidden;
  uint32_t set;
  uint32_t cleared;
  uint32_t cleared_on_failure;
};

// One row per operation code 0..95 (0, 35 and 39 are empty rows), here so
// that an operation known where it is dispatched has its row folded in.
// ORDER: enum Op. Columns: post, required, forbidden, set, cleared, cleared on failure.
inline constexpr std::array<RuleRow, kLastOperation + 1> kRuleTable = {{
    {0, 0, 0, 0, 0, 0},                       //  0
    {1, 0x41, 0, 0x2, 0x1400, 0},             //  1 ADD
    {0, 0x21, 0, 0, 0, 0},                    //  2 BOF
    {1, 0xC0, 0x4, 0, 0, 0x2022},             //  3 BUILDfile
    {1, 0x41, 0, 0, 0, 0},                    //  4 APPEND
    {1, 0x1, 0x4, 0x100, 0, 0},               //  5 BUILDdyn
    {1, 0xC0, 0x4, 0, 0, 0},                  //  6 BUILDkey
    {3, 0x1, 0x4, 0, 0x101, 0},               //  7 CLOSE
    {1, 0x5, 0, 0, 0x4, 0},                   //  8 COMMIT
    {3, 0, 0x1, 0, 0, 0},                     //  9 COPY
    {3, 0, 0x1, 0, 0, 0},                     // 10 CREATE
    {1, 0x43, 0, 0, 0x2, 0},                  // 11 DELETE
    {1, 0x41, 0, 0, 0, 0},                    // 12 DUPLICATE
    {1, 0xC1, 0x4, 0, 0, 0},                  // 13 EMPTY
    {0, 0x21, 0, 0, 0, 0},                    // 14 EOF
    {1, 0x101, 0, 0x2, 0xA00, 0x2},           // 15 GETfilekey
    {1, 0x1, 0, 0x2, 0xA00, 0x2},             // 16 GETfileptr
    {1, 0x101, 0, 0x2, 0xA00, 0x2},           // 17 GETkeyptr
    {1, 0x1, 0, 0x800, 0, 0},                 // 18 HOLDfile
    {1, 0x1, 0, 0x800, 0, 0},                 // 19 HOLDfilesec
    {1, 0x1, 0x10, 0x90, 0, 0},               // 20 LOCKfile
    {1, 0x1, 0x10, 0x90, 0, 0},               // 21 LOCKfilesec
    {1, 0x1, 0x4, 0x4, 0, 0},                 // 22 LOGOUT
    {0, 0, 0, 0, 0, 0},                       // 23 NAME
    {5, 0x21, 0, 0x2, 0xA00, 0x2022},         // 24 NEXT
    {1, 0, 0x1, 0x1, 0, 0},                   // 25 OPEN
    {1, 0xC0, 0x4, 0, 0x22, 0x2022},          // 26 PACK
    {0, 0x3, 0, 0, 0, 0},                     // 27 POINTERfile
    {0, 0x103, 0, 0, 0, 0},                   // 28 POINTERkey
    {1, 0x1, 0, 0, 0x8, 0},                   // 29 FLUSH
    {1, 0x43, 0, 0, 0x1400, 0},               // 30 PUT
    {5, 0x21, 0, 0x2, 0xA00, 0x2022},         // 31 PREVIOUS
    {0, 0x1, 0, 0, 0, 0},                     // 32 RECORDSfile
    {0, 0x101, 0, 0, 0, 0},                   // 33 RECORDSkey
    {1, 0x1, 0x4, 0x100, 0, 0},               // 34 BUILDdynfilter
    {0, 0, 0, 0, 0, 0},                       // 35 (unassigned)
    {1, 0x1, 0, 0, 0x1000, 0},                // 36 RELEASE
    {3, 0, 0x1, 0, 0, 0},                     // 37 REMOVE
    {3, 0, 0x1, 0, 0, 0},                     // 38 RENAME
    {0, 0, 0, 0, 0, 0},                       // 39 (unassigned)
    {1, 0x5, 0, 0, 0x4, 0},                   // 40 ROLLBACK
    {5, 0x1, 0, 0x2020, 0, 0x2020},           // 41 SETfile
    {5, 0x101, 0, 0x2020, 0, 0x2020},         // 42 SETfilekey
    {5, 0x1, 0, 0x2020, 0, 0x2020},           // 43 SETfileptr
    {5, 0x101, 0, 0x2020, 0, 0x2020},         // 44 SETkey
    {5, 0x101, 0, 0x2020, 0, 0x2020},         // 45 SETkeykey
    {5, 0x101, 0, 0x2020, 0, 0x2020},         // 46 SETkeyptr
    {5, 0x101, 0, 0x2020, 0, 0x2020},         // 47 SETkeykeyptr
    {1, 0, 0x1, 0x1, 0, 0},                   // 48 SHARE
    {5, 0x21, 0, 0, 0x2, 0x2022},             // 49 SKIP
    {1, 0x11, 0x4, 0, 0x10, 0},               // 50 UNLOCK
    {1, 0x1, 0, 0, 0x1400, 0},                // 51 ADDfilelen
    {1, 0x1, 0, 0, 0, 0},                     // 52 BYTES
    {1, 0x1, 0, 0x2, 0xA00, 0x2},             // 53 GETfileptrlen
    {1, 0x41, 0, 0, 0x1400, 0x2},             // 54 PUTfileptr
    {1, 0x41, 0, 0, 0x1400, 0x2},             // 55 PUTfileptrlen
    {1, 0x1, 0x8, 0x8, 0, 0},                 // 56 STREAM
    {1, 0x101, 0, 0, 0, 0},                   // 57 DUPLICATEkey
    {1, 0x1, 0, 0x200, 0, 0},                 // 58 WATCH
    {1, 0x41, 0, 0, 0x1400, 0},               // 59 APPENDlen
    {1, 0, 0, 0x10000, 0, 0},                 // 60 SEND
    {1, 0x3, 0, 0, 0, 0},                     // 61 POSITIONfile
    {1, 0x103, 0, 0, 0, 0},                   // 62 POSITIONkey
    {5, 0x1, 0, 0x2020, 0, 0x2020},           // 63 RESETfile
    {5, 0x101, 0, 0x2020, 0, 0x2020},         // 64 RESETkey
    {0, 0x1, 0, 0, 0, 0},                     // 65 NOMEMO
    {1, 0x1, 0, 0x2, 0xA00, 0},               // 66 REGETfile
    {1, 0x101, 0, 0x2, 0xA00, 0},             // 67 REGETkey
    {1, 0x1, 0, 0, 0, 0},                     // 68 NULL
    {1, 0x1, 0, 0, 0, 0},                     // 69 SETNULL
    {1, 0x1, 0, 0, 0, 0},                     // 70 SETNONULL
    {1, 0, 0, 0x10000, 0, 0},                 // 71 SET_PROPERTY
    {0, 0, 0, 0, 0, 0},                       // 72 GET_PROPERTY
    {0, 0x101, 0, 0, 0, 0},                   // 73 QUERY_KEY
    {0, 0, 0, 0, 0, 0},                       // 74 QUERY_VIEW
    {1, 0x1, 0, 0, 0, 0},                     // 75 BLOB_YIELD
    {1, 0x1, 0, 0, 0, 0},                     // 76 BLOB_TAKE
    {0, 0x3, 0, 0, 0, 0},                     // 77 BLOB_SIZE
    {1, 0x1, 0, 0x10000, 0, 0},               // 78 BLOB_GET_PROP
    {1, 0x1, 0, 0, 0, 0},                     // 79 BLOB_SET_PROP
    {1, 0x1, 0, 0, 0, 0},                     // 80 BUFFER
    {5, 0x1, 0, 0x20, 0, 0x20},               // 81 SETview
    {0, 0x1, 0, 0, 0, 0},                     // 82 CLEAR
    {5, 0x1, 0, 0x2020, 0, 0x2020},           // 83 RESETviewfile
    {1, 0xC0, 0x4, 0, 0, 0x2022},             // 84 BUILDevent
    {1, 0, 0, 0x10000, 0, 0},                 // 85 SETPROPERTYkey
    {0, 0, 0, 0, 0, 0},                       // 86 GETPROPERTYkey
    {0, 0, 0, 0, 0, 0},                       // 87 Internal
    {1, 0, 0, 0x10000, 0, 0},                 // 88 DO_PROPERTY
    {1, 0, 0, 0x10000, 0, 0},                 // 89 DOPROPERTYkey
    {1, 0, 0, 0x10000, 0, 0},                 // 90 DOPROPERTYblob
    {0, 0, 0, 0, 0, 0},                       // 91 Internal
    {1, 0x1, 0x100, 0x100, 0, 0},             // 92 INVIEW
    {1, 0x1, 0, 0, 0x100, 0},                 // 93 ENDVIEW
    {1, 0, 0x1, 0, 0, 0},                     // 94 Internal
    {0, 0x1, 0, 0, 0, 0},                     // 95 COUNTRECORDS
}};
static_assert(std::tuple_size_v<decltype(kRuleTable)> == 96, "one row per operation code 0..95");

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

namespace detail {

constexpr std::array<QuickRule, kLastOperation + 1> make_quick_rules() {
  std::array<QuickRule, kLastOperation + 1> rules{};
  for (std::size_t code = 0; code < rules.size(); ++code) {
    const RuleRow& row = kRuleTable[code];
    // Bit 0x100 is the key's; an operation without a key never checks it.
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
static_assert(kQuickRules[OP_NEXT].need == (kOpen | kSequenceSet), "NEXT needs an open file in sequence");
static_assert(kQuickRules[OP_ADD].need == (kOpen | kWriteAccess), "ADD needs an open file written to");
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
