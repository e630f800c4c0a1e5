// The state rules of every driver operation: which file states an operation
// needs or refuses, and how it moves the state when it succeeds or fails.
//
// File states (bits of the instance's state flags):
//
//   no instance --(any operation)--> closed --OPEN/SHARE--> open
//      ^                               |  ^                  |
//      +---- CLOSE, CREATE, REMOVE, ---+  +------ CLOSE -----+
//            RENAME, COPY, failed OPEN (the instance is discarded)
//
//   open:  +write access (mode not a multiple of 4)  +exclusive (deny all/write)
//          SET/RESET -> sequence set + sequence fresh
//          a read or write -> record current;  LOCK -> locked;  LOGOUT -> transaction
//   closed: settings kept after SEND or a property operation, else stale.
//
// Invariants (checked in debug builds at the top of each operation):
//   - without open, none of record current, locked, sequence set, write
//     access, exclusive, transaction or stream is set;
//   - sequence fresh implies sequence set;  watched implies watch requested
//     was set by the read that made it; held likewise.
#pragma once

#include <cstdint>

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

// The row of an operation code 0..95 (0, 35 and 39 are empty rows).
const RuleRow& rule_of(int32_t code);

// Outcome of the rules check: proceed, refuse with an error code, or refuse
// silently (no error posted, instance's last error 0).
struct RuleVerdict {
  enum Kind { kProceed, kError, kSilent } kind;
  int32_t code;
};

// Checks an operation against the file state. `key_built` is the key's built
// flag when the operation names a key, null otherwise. Codes outside the
// table give error 80.
RuleVerdict check_rules(int32_t code, uint32_t state, const uint32_t* key_flags);

// Moves the state after an operation ran. On success the set and cleared
// columns apply (the key's built flag follows bit 0x100) and the row's post
// flags are added to `post`; on failure the failure column is cleared and
// discard is added where the row discards (and always for REMOVE).
void update_state(int32_t code, bool success, uint32_t& state, uint32_t* key_flags,
                  uint32_t& post);

// Debug-build check of the state invariants; returns true when they hold.
bool state_is_consistent(uint32_t state);

}  // namespace drv
