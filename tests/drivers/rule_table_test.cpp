#include "drivers/rule_table.h"

#include <gtest/gtest.h>

#include "drivers/operation_codes.h"
#include "services/error_state.h"

using namespace drv;

namespace {

constexpr uint32_t kOpenRW = kOpen | kWriteAccess;

int32_t refused_with(int32_t code, uint32_t state, const uint32_t* key = nullptr) {
  RuleVerdict v = check_rules(code, state, key);
  return v.kind == RuleVerdict::kError ? v.code : v.kind == RuleVerdict::kSilent ? -1 : 0;
}

TEST(rule_table_test, record_operations_on_a_closed_file_give_file_not_open) {
  for (int32_t code : {OP_ADD, OP_NEXT, OP_PREVIOUS, OP_EOF, OP_BOF, OP_CLOSE, OP_SETfile,
                       OP_BYTES, OP_LOCKfile, OP_UNLOCK, OP_FLUSH, OP_EMPTY, OP_POINTERfile,
                       OP_RECORDSfile, OP_COUNTRECORDS, OP_CLEAR})
    EXPECT_EQ(refused_with(code, 0), svc::err::file_not_open) << operation_name(code);
  for (int32_t code : {OP_OPEN, OP_SHARE, OP_CREATE, OP_REMOVE, OP_RENAME, OP_COPY, OP_NAME,
                       OP_SEND, OP_GET_PROPERTY})
    EXPECT_EQ(refused_with(code, 0), 0) << operation_name(code);
}

TEST(rule_table_test, missing_bits_on_an_open_file_give_their_own_codes) {
  EXPECT_EQ(refused_with(OP_NEXT, kOpen), svc::err::record_not_available);  // no SET
  EXPECT_EQ(refused_with(OP_POINTERfile, kOpen),
            svc::err::record_not_available);  // no current record
  EXPECT_EQ(refused_with(OP_PUT, kOpenRW), svc::err::record_not_available);
  EXPECT_EQ(refused_with(OP_EMPTY, kOpenRW), svc::err::exclusive_access_required);  // not exclusive
  EXPECT_EQ(refused_with(OP_ADD, kOpen), svc::err::access_denied);  // no write access
  EXPECT_EQ(refused_with(OP_EMPTY, kOpen | kExclusive), svc::err::access_denied);
  EXPECT_EQ(refused_with(OP_UNLOCK, kOpen), -1);        // not locked: silent
  EXPECT_EQ(refused_with(OP_COMMIT, kOpen), -1);        // no transaction: silent
  EXPECT_EQ(refused_with(OP_NEXT, kOpen | kSequenceSet), 0);
  EXPECT_EQ(refused_with(OP_EMPTY, kOpenRW | kExclusive), 0);
}

TEST(rule_table_test, forbidden_bits_give_their_own_codes_or_fail_silently) {
  EXPECT_EQ(refused_with(OP_OPEN, kOpen), svc::err::file_already_open);
  EXPECT_EQ(refused_with(OP_REMOVE, kOpen), svc::err::file_already_open);
  EXPECT_EQ(refused_with(OP_LOGOUT, kOpen | kTransaction), svc::err::logout_already_active);
  EXPECT_EQ(refused_with(OP_CLOSE, kOpen | kTransaction), svc::err::logout_already_active);
  EXPECT_EQ(refused_with(OP_LOCKfile, kOpen | kLocked), -1);
  EXPECT_EQ(refused_with(OP_STREAM, kOpen | kStreamActive), -1);
}

TEST(rule_table_test, keys_must_be_built_and_bit_0x100_is_never_the_files) {
  uint32_t unbuilt = 0, built = kKeyBuilt;
  EXPECT_EQ(refused_with(OP_GETfilekey, kOpen, &unbuilt), svc::err::key_file_must_be_rebuilt);
  EXPECT_EQ(refused_with(OP_GETfilekey, kOpen, &built), 0);
  EXPECT_EQ(refused_with(OP_GETfilekey, 0, &unbuilt), svc::err::file_not_open);  // open comes first
  EXPECT_EQ(refused_with(OP_GETfilekey, kOpen), 0);         // no key given
}

TEST(rule_table_test, build_in_progress_lets_only_a_few_operations_through) {
  uint32_t building = kOpenRW | kBuildInProgress;
  for (int32_t code : {OP_BUILDevent, OP_GET_PROPERTY, OP_GETPROPERTYkey, OP_CLOSE, OP_NAME})
    EXPECT_NE(refused_with(code, building | kExclusive), svc::err::build_in_progress)
        << operation_name(code);
  for (int32_t code : {OP_ADD, OP_SETfile, OP_SEND, OP_OPEN})
    EXPECT_EQ(refused_with(code, building), svc::err::build_in_progress) << operation_name(code);
}

TEST(rule_table_test, codes_outside_the_table_are_unsupported) {
  EXPECT_EQ(refused_with(-1, kOpen), svc::err::unsupported_driver_function);
  EXPECT_EQ(refused_with(96, kOpen), svc::err::unsupported_driver_function);
}

TEST(rule_table_test, success_moves_watch_and_hold_into_their_done_bits) {
  uint32_t state = kOpen | kSequenceSet | kWatchRequested, post = 0;
  update_state(OP_NEXT, true, state, nullptr, post);
  EXPECT_EQ(state & (kWatched | kWatchRequested | kRecordCurrent), kWatched | kRecordCurrent);
  EXPECT_EQ(post, kPostClearError | kPostSequential);
  update_state(OP_NEXT, true, state, nullptr, post);
  EXPECT_EQ(state & kWatched, 0u);  // no new request: no longer watched
}

TEST(rule_table_test, failure_clears_its_column_and_discards_where_the_row_does) {
  uint32_t state = kOpen | kSequenceSet | kSequenceFresh | kRecordCurrent | kWatched, post = 0;
  update_state(OP_NEXT, false, state, nullptr, post);
  EXPECT_EQ(state, kOpen);
  EXPECT_EQ(post, 0u);
  for (int32_t code : {OP_REMOVE, OP_CLOSE, OP_COPY, OP_CREATE, OP_RENAME}) {
    post = 0;
    update_state(code, false, state, nullptr, post);
    EXPECT_EQ(post & kPostDiscard, kPostDiscard) << operation_name(code);
  }
  post = 0;
  update_state(OP_BYTES, false, state, nullptr, post);
  EXPECT_EQ(post, 0u);
}

TEST(rule_table_test, set_and_cleared_columns_reach_the_key_not_the_file) {
  uint32_t state = kOpen, key = 0, post = 0;
  update_state(OP_BUILDdyn, true, state, &key, post);
  EXPECT_EQ(key, kKeyBuilt);
  EXPECT_EQ(state, kOpen);
  state = kOpen | kRecordCurrent;
  update_state(OP_CLOSE, true, state, &key, post);
  EXPECT_EQ(state, kRecordCurrent);
  EXPECT_EQ(key, 0u);
}

TEST(rule_table_test, state_invariants_hold_along_every_successful_operation) {
  // From each reachable open state, every operation that passes the rules
  // and succeeds keeps the invariants.
  for (uint32_t extra : {0u, uint32_t(kWriteAccess), uint32_t(kWriteAccess | kExclusive)}) {
    uint32_t start = kOpen | extra;
    for (int32_t code = 1; code <= kLastOperation; ++code) {
      uint32_t state = start, post = 0;
      if (check_rules(code, state, nullptr).kind != RuleVerdict::kProceed) continue;
      update_state(code, true, state, nullptr, post);
      if (code == OP_CLOSE || code == OP_PACK) continue;  // the instance goes / never succeeds
      EXPECT_TRUE(state_is_consistent(state)) << operation_name(code);
    }
  }
}

TEST(rule_table_test, operation_names_follow_the_codes) {
  EXPECT_STREQ(operation_name(0), "(0)");
  EXPECT_STREQ(operation_name(OP_ADD), "ADD");
  EXPECT_STREQ(operation_name(35), "(35)");
  EXPECT_STREQ(operation_name(39), "(39)");
  EXPECT_STREQ(operation_name(OP_EOF), "EOF");
  EXPECT_STREQ(operation_name(87), "Internal");
  EXPECT_STREQ(operation_name(OP_COUNTRECORDS), "COUNTRECORDS");
  EXPECT_STREQ(operation_name(OP_SETkeykeyptr), "SETkeykeyptr");
}

}  // namespace
