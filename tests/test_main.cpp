// Entry point shared by every test program.
#include <gtest/gtest.h>

#include "platform/process.h"

int main(int argc, char** argv) {
  plat::enter_child_process();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
