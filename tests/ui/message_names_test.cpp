// The message-name table of the trace log and message_name.
#include "ui/message_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ui/event_codes.h"

TEST(message_names_test, event_messages_are_named_after_their_code) {
  EXPECT_STREQ(ui::message_name(0x1603).c_str(), "EVENT:OpenWindow");
  EXPECT_STREQ(ui::message_name(0x1401).c_str(), "EVENT:Accepted");
  EXPECT_STREQ(ui::message_name(0x141E).c_str(), "EVENT:ColumnResize");
  EXPECT_STREQ(ui::message_name(0x1642).c_str(), "EVENT:BuildDone");
  EXPECT_STREQ(ui::message_name(0x1607).c_str(), "0x1607");  // 0x207 is no event
}

TEST(message_names_test, unnamed_messages_are_shown_as_four_hex_digits) {
  EXPECT_STREQ(ui::message_name(0x7FFF).c_str(), "0x7fff");
  EXPECT_STREQ(ui::message_name(0x0113).c_str(), "0x0113");
  EXPECT_STREQ(ui::message_name(0x12345).c_str(), "0x12345");
}

TEST(message_names_test, standard_dde_and_query_messages) {
  EXPECT_STREQ(ui::message_name(0x0000).c_str(), "WM_NULL");
  EXPECT_STREQ(ui::message_name(0x0138).c_str(), "WM_CTLCOLORSTATIC");
  EXPECT_STREQ(ui::message_name(0x0110).c_str(), "WM_INITDIALOG");
  EXPECT_STREQ(ui::message_name(0x03E0).c_str(), "WM_DDE_INITIATE");
  EXPECT_STREQ(ui::message_name(0x03E8).c_str(), "WM_DDE_EXECUTE");
  EXPECT_STREQ(ui::message_name(0x2401).c_str(), "QUERY_SETUSE");
  EXPECT_STREQ(ui::message_name(0x241D).c_str(), "QUERY_EDITDONE");
  EXPECT_STREQ(ui::message_name(0x241B).c_str(), "0x241b");  // the carrier has no name
}

TEST(message_names_test, the_table_is_ordered_unique_and_ends_with_a_nameless_pair) {
  const ui::MessageNamePair* p = ui::message_name_table();
  std::set<std::uint32_t> numbers;
  int standard = 0;
  std::uint32_t previous = 0;
  int count = 0;
  for (; p->name != nullptr; ++p, ++count) {
    EXPECT_TRUE(numbers.insert(p->number).second) << p->name;
    if (count > 0) {
      EXPECT_GT(p->number, previous) << p->name;
    }
    previous = p->number;
    if (p->number <= 0x0138) ++standard;
  }
  EXPECT_EQ(standard, ui::standard_message_name_count);
  EXPECT_EQ(standard, 171);
  EXPECT_EQ(count, 171 + 9 + ui::event_name_count + 16);
}

TEST(message_names_test, every_event_code_is_in_order_with_its_prefix) {
  std::int32_t previous = 0;
  for (int i = 0; i < ui::event_name_count; ++i) {
    const ui::EventName& e = ui::event_names[i];
    ASSERT_NE(e.name, nullptr);
    EXPECT_EQ(std::string(e.name).rfind("EVENT:", 0), 0u);
    EXPECT_GT(e.code, previous);
    previous = e.code;
    EXPECT_STREQ(ui::event_name(e.code), e.name);
  }
  EXPECT_EQ(ui::event_names[29].code, 30);
  EXPECT_STREQ(ui::event_name(ui::event::Rejected), "EVENT:Rejected");
  EXPECT_EQ(ui::event_name(0x207), nullptr);
  EXPECT_EQ(ui::event_message(ui::event::OpenWindow), 0x1603u);
}
