// Resources compiled into the program: finding, loading and sizing them.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/dialog.h"
#include "platform/last_error.h"
#include "platform/resource.h"

using namespace plat;

namespace {

const char kData[] = "resource bytes";
const HMODULE kOther = reinterpret_cast<HMODULE>(0x7000);

class window_resource_test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(add_resource(kOther, "REZAVIZ", "Window_RSC", kData, sizeof kData));
    ASSERT_TRUE(add_resource(kOther, RT_RCDATA, MAKEINTRESOURCEA(12), kData, 4));
  }
  void TearDown() override { remove_resources(kOther); }
};

}  // namespace

TEST_F(window_resource_test, names_and_types_compare_without_case) {
  HRSRC found = FindResourceA(kOther, "WINDOW_RSC", "rezaviz");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(SizeofResource(kOther, found), sizeof kData);
  HGLOBAL loaded = LoadResource(kOther, found);
  EXPECT_EQ(std::memcmp(LockResource(loaded), kData, sizeof kData), 0);
  EXPECT_EQ(loaded_resource_count(), 1);
  EXPECT_FALSE(FreeResource(loaded));  // as on the desktop, it always answers FALSE
  EXPECT_EQ(loaded_resource_count(), 0);
}

TEST_F(window_resource_test, numbered_names_and_their_text_form) {
  EXPECT_NE(FindResourceA(kOther, MAKEINTRESOURCEA(12), RT_RCDATA), nullptr);
  EXPECT_NE(FindResourceA(kOther, "#12", RT_RCDATA), nullptr);
  EXPECT_EQ(FindResourceA(kOther, "#13", RT_RCDATA), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
}

TEST_F(window_resource_test, a_missing_type_and_another_module) {
  EXPECT_EQ(FindResourceA(kOther, "WINDOW_RSC", RT_DIALOG), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
  EXPECT_EQ(FindResourceA(reinterpret_cast<HMODULE>(0x7100), "WINDOW_RSC", "REZAVIZ"), nullptr);
}

TEST_F(window_resource_test, a_resource_is_added_once) {
  EXPECT_FALSE(add_resource(kOther, "rezaviz", "window_rsc", kData, 1));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(add_resource(kOther, "REZAVIZ", nullptr, kData, 1));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}
