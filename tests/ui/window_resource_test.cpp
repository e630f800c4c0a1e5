// The program's window resource and finding window records in it.
#include "ui/window_resource.h"

#include <array>
#include <cstring>
#include <vector>

#include "app/program_resources.h"
#include "platform/resource.h"
#include "services/error_state.h"
#include "services/heap.h"
#include "tests/ui/ui_fixture.h"

namespace {

// The frame image as its layout describes it, written out offset by offset.
std::array<std::uint8_t, 178> expected_image() {
  std::array<std::uint8_t, 178> image{};
  auto word = [&image](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) image[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  auto text = [&image](std::size_t at, const char* s) {
    std::memcpy(&image[at], s, std::strlen(s) + 1);
  };
  word(2, 62);
  text(6, "Application");
  text(18, "P1$APPFRAME");
  word(30, 45);
  word(34, 0);
  word(38, 120);
  word(42, 30);
  word(46, 80);
  word(50, 38);
  word(54, 0xFFFFFFFF);
  word(58, 46);
  image[62] = 25;
  word(62 + 5, 0x800);
  word(62 + 13, 0x80000000);
  word(62 + 17, 0x80000000);
  word(62 + 21, 310);
  word(62 + 25, 190);
  word(62 + 33, 18);
  word(62 + 41, 6);
  word(62 + 81, 0x1820);
  word(62 + 105, 54);
  return image;
}

const plat::HMODULE kOtherModule = reinterpret_cast<plat::HMODULE>(0x7200);
plat::HMODULE other_module_after(plat::HMODULE previous) {
  return previous == nullptr ? kOtherModule : nullptr;
}

class window_resource_test : public ui_test::UiFixture {
 protected:
  void TearDown() override {
    ui::set_module_walker(nullptr);
    plat::remove_resources(kOtherModule);
    UiFixture::TearDown();
  }
};

}  // namespace

TEST_F(window_resource_test, the_program_resource_holds_the_module_name_and_the_image) {
  auto resource = app::program_window_resource();
  ASSERT_EQ(resource.size(), 17u + 176u);
  EXPECT_STREQ(reinterpret_cast<const char*>(resource.data()), "msgmake$msgma001");
  auto image = expected_image();
  EXPECT_TRUE(std::equal(resource.begin() + 17, resource.end(), image.begin() + 2));
  plat::HRSRC found = plat::FindResourceA(nullptr, "msgma001_rsc", "REZAVIZ");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(plat::SizeofResource(nullptr, found), 193u);
}

TEST_F(window_resource_test, resource_names_come_from_the_module_name) {
  char name[32];
  EXPECT_EQ(ui::window_resource_name("msgmake$msgma001", name, sizeof name), 12u);
  EXPECT_STREQ(name, "MSGMA001_RSC");
  ui::window_resource_name("plain", name, sizeof name);
  EXPECT_STREQ(name, "PLAIN_RSC");
  ui::window_resource_name("a$b$c", name, sizeof name);
  EXPECT_STREQ(name, "B$C_RSC");
  char small[6];
  EXPECT_EQ(ui::window_resource_name("plain", small, sizeof small), 9u);
  EXPECT_STREQ(small, "PLAIN");
}

TEST_F(window_resource_test, the_frame_record_is_found_and_its_image_copied) {
  ui::WindowImage image;
  std::uint32_t offset = ui::find_window_record("msgmake$msgma001", "P1$APPFRAME", &image);
  ASSERT_EQ(offset, 62u);
  ASSERT_EQ(image.size, 178u);
  auto expected = expected_image();
  EXPECT_EQ(image.bytes[0], 0);
  EXPECT_EQ(std::memcmp(image.bytes + 2, expected.data() + 2, 176), 0);
  const ui::WindowRecord* record = image.record(offset);
  ASSERT_NE(record, nullptr);
  EXPECT_STREQ(image.text(record->title), "Application");
  std::int32_t width = record->width;  // a copy: the record is packed
  EXPECT_EQ(width, 310);
  EXPECT_EQ(plat::loaded_resource_count(), 0);  // the resource was let go after the copy
  std::int32_t widths[8];
  ASSERT_EQ(ui::read_status_zones(image, record->first_status_zone, widths, 8), 4);
  EXPECT_EQ(std::vector<std::int32_t>(widths, widths + 4),
            (std::vector<std::int32_t>{-1, 80, 120, 45}));
  ui::release_window_image(&image);
  EXPECT_EQ(image.bytes, nullptr);
  EXPECT_EQ(boxes_shown(), 0u);
}

TEST_F(window_resource_test, a_missing_window_is_runtime_error_502) {
  ui::WindowImage image;
  EXPECT_EQ(ui::find_window_record("msgmake$msgma001", "P2$OTHER", &image), 0u);
  EXPECT_EQ(image.bytes, nullptr);
  EXPECT_EQ(error_code(), svc::err::internal_error_02);
  EXPECT_EQ(last_box_text(), "Internal error 02 : WSLDIAL\nDo you want to GPF?");
}

TEST_F(window_resource_test, a_resource_of_another_module_name_is_skipped) {
  // Both modules have a resource "MSGMA001_RSC"; only the second starts with
  // the module name asked for.
  std::vector<std::uint8_t> other(app::program_window_resource().begin(),
                                  app::program_window_resource().end());
  std::memcpy(other.data(), "other$msgma001", 15);  // 14 letters: the NUL moves up
  other.erase(other.begin() + 15, other.begin() + 17);
  ASSERT_TRUE(plat::add_resource(kOtherModule, "REZAVIZ", "MSGMA001_RSC", other.data(),
                                 static_cast<plat::DWORD>(other.size())));
  ui::set_module_walker(&other_module_after);
  ui::WindowImage image;
  ASSERT_EQ(ui::find_window_record("other$msgma001", "P1$APPFRAME", &image), 62u);
  EXPECT_EQ(image.module, kOtherModule);
  ui::release_window_image(&image);
  EXPECT_EQ(boxes_shown(), 0u);
}

TEST_F(window_resource_test, records_and_texts_outside_the_image_are_absent) {
  ui::WindowImage image;
  ui::find_window_record("msgmake$msgma001", "P1$APPFRAME", &image);
  EXPECT_EQ(image.record(0), nullptr);
  EXPECT_EQ(image.record(170), nullptr);  // would run past the end
  EXPECT_STREQ(image.text(0), "");
  EXPECT_STREQ(image.text(5000), "");
  EXPECT_EQ(image.zone(175), nullptr);
  ui::release_window_image(&image);
}
