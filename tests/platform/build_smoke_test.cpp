#include <gtest/gtest.h>
// Placeholder replaced by the platform tests.
TEST(build_smoke_test, builds) { SUCCEED(); }
