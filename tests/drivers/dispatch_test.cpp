#include "drivers/dispatch.h"

#include <thread>

#include "drivers/open_files.h"
#include "drivers/operation_codes.h"
#include "drivers/record_statements.h"
#include "services/error_state.h"
#include "services/process_state.h"
#include "tests/drivers/record_file_fixture.h"

using namespace drv;
using drv_test::DeclaredFile;

namespace {

class dispatch_test : public drv_test::RecordFileTest {};

TEST_F(dispatch_test, next_before_set_is_not_available) {
  write_file("a.txt", "x\r\n");
  DeclaredFile f;
  f.text("a.txt");
  f.call(OP_OPEN, 0x22);
  f.call(OP_NEXT);
  EXPECT_EQ(error_code(), svc::err::record_not_available);
  EXPECT_EQ(svc::error_state().failing_file(), &f.decl);
}

TEST_F(dispatch_test, never_opened_file_is_not_open_and_open_twice_is_already_open) {
  write_file("a.txt", "x\r\n");
  DeclaredFile f;
  f.text("a.txt");
  f.call(OP_ADD);
  EXPECT_EQ(error_code(), svc::err::file_not_open);
  EXPECT_EQ(f.call(OP_EOF), 1);
  EXPECT_EQ(error_code(), svc::err::file_not_open);
  f.call(OP_OPEN, 0x22);
  EXPECT_EQ(error_code(), 0);
  f.call(OP_OPEN, 0x22);
  EXPECT_EQ(error_code(), svc::err::file_already_open);
  f.call(OP_SETfile);  // still open and usable
  f.call(OP_NEXT);
  EXPECT_EQ(f.clipped(), "x");
}

TEST_F(dispatch_test, create_needs_the_create_attribute_and_touches_no_file) {
  DeclaredFile f;
  f.text("new.txt");
  f.decl.attributes = 0;
  f.call(OP_CREATE);
  EXPECT_EQ(error_code(), svc::err::no_create_attribute);
  EXPECT_FALSE(std::filesystem::exists(path("new.txt")));
  EXPECT_EQ(f.decl.instance, nullptr);
}

TEST_F(dispatch_test, remove_of_a_missing_file_then_create_and_open) {
  DeclaredFile f;
  f.text("m.txt");
  f.call(OP_REMOVE);
  EXPECT_EQ(error_code(), svc::err::file_not_found);
  f.call(OP_CREATE);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(f.decl.instance, nullptr);  // CREATE leaves the file closed
  f.call(OP_OPEN, 0x22);
  f.set_record("line");
  f.call(OP_ADD);
  f.call(OP_CLOSE);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(read_file("m.txt"), "line\r\n");
  f.call(OP_REMOVE);
  EXPECT_EQ(error_code(), 0);
  EXPECT_FALSE(std::filesystem::exists(path("m.txt")));
}

TEST_F(dispatch_test, create_replaces_an_existing_file) {
  write_file("r.txt", "old contents");
  DeclaredFile f;
  f.text("r.txt");
  f.call(OP_CREATE);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(read_file("r.txt"), "");
}

TEST_F(dispatch_test, settings_sent_before_open_survive_until_open_and_die_with_a_failed_open) {
  write_file("a.txt", "a\tb\r\n");
  DeclaredFile f;
  f.text("a.txt");
  EXPECT_EQ(f.call_with_text(OP_SEND, "CTRLZISEOF=OFF"), "ON");
  ASSERT_NE(f.decl.instance, nullptr);
  f.call(OP_OPEN, 0x22);
  EXPECT_EQ(f.call_with_text(OP_SEND, "CTRLZISEOF"), "OFF");  // OPEN keeps it
  f.call(OP_CLOSE);
  DeclaredFile g;
  g.text("missing.txt");
  g.call_with_text(OP_SEND, "CTRLZISEOF=OFF");
  g.call(OP_OPEN, 0x22);
  EXPECT_EQ(error_code(), svc::err::file_not_found);
  EXPECT_EQ(g.decl.instance, nullptr);
}

TEST_F(dispatch_test, register_answers_digits_and_leaves_no_instance) {
  DeclaredFile f;
  f.text("a.txt");
  std::string answer = f.call_with_text(OP_SEND, "REGISTER  ");
  EXPECT_FALSE(answer.empty());
  EXPECT_EQ(answer.find_first_not_of("0123456789"), std::string::npos);
  EXPECT_EQ(f.decl.instance, nullptr);
}

TEST_F(dispatch_test, unimplemented_operations_are_unsupported) {
  write_file("a.txt", "x\r\n");
  DeclaredFile f;
  f.text("a.txt");
  f.call(OP_OPEN, 0x22);
  f.call(OP_SETfile);
  f.call(OP_NEXT);
  f.call(OP_DELETE);
  EXPECT_EQ(error_code(), svc::err::unsupported_driver_function);
  f.call(OP_PREVIOUS);
  EXPECT_EQ(error_code(), svc::err::unsupported_driver_function);
  EXPECT_EQ(f.call(OP_QUERY_VIEW), 0);
}

TEST_F(dispatch_test, name_is_declared_while_closed_and_full_path_while_open) {
  write_file("a.txt", "");
  DeclaredFile f;
  f.text("a.txt");
  std::string declared = f.call_with_text(OP_NAME, "");
  EXPECT_EQ(declared.size(), 256u);
  EXPECT_EQ(declared.substr(0, 6), "a.txt ");
  rt::string_stack().reset();
  f.call(OP_OPEN, 0x22);
  f.decl.driver(OP_NAME, &f.decl, nullptr);
  EXPECT_EQ(DeclaredFile::pop_text(), path("a.txt"));
}

TEST_F(dispatch_test, position_and_reset_return_to_a_record) {
  write_file("a.txt", "one\r\ntwo\r\nthree\r\n");
  DeclaredFile f;
  f.text("a.txt");
  f.call(OP_OPEN, 0x22);
  f.call(OP_SETfile);
  f.call(OP_NEXT);
  f.call(OP_NEXT);
  f.decl.driver(OP_POSITIONfile, &f.decl, nullptr);
  std::string position = DeclaredFile::pop_text();
  EXPECT_EQ(position, std::string("\x06\0\0\0", 4));
  f.call(OP_NEXT);
  f.call_with_text(OP_RESETfile, position);
  f.call(OP_NEXT);
  EXPECT_EQ(f.clipped(), "two");
  f.call_with_text(OP_RESETfile, "    ");
  EXPECT_EQ(error_code(), svc::err::record_not_found);
}

TEST_F(dispatch_test, successful_operations_clear_the_error_and_queries_leave_it) {
  write_file("a.txt", "");
  DeclaredFile f;
  f.text("a.txt");
  f.call(OP_OPEN, 0x22);
  f.call(OP_SETfile);
  f.call(OP_NEXT);
  EXPECT_EQ(error_code(), svc::err::record_not_available);
  f.call(OP_EOF);
  EXPECT_EQ(error_code(), svc::err::record_not_available);
  f.set_record("x");
  f.call(OP_ADD);
  EXPECT_EQ(error_code(), 0);
  EXPECT_EQ(f.decl.instance->last_error, 0);
}

TEST_F(dispatch_test, silent_failure_posts_nothing) {
  write_file("a.txt", "");
  DeclaredFile f;
  f.text("a.txt");
  f.call(OP_OPEN, 0x22);
  f.call(OP_LOCKfile);
  EXPECT_EQ(error_code(), 0);
  svc::error_state().post(svc::err::record_not_available);
  f.call(OP_LOCKfile);  // already locked: silent
  EXPECT_EQ(error_code(), svc::err::record_not_available);
  EXPECT_EQ(f.decl.instance->last_error, 0);
  f.call(OP_UNLOCK);
  EXPECT_EQ(error_code(), 0);
}

TEST_F(dispatch_test, lock_held_by_another_handle_is_reported_as_locked) {
  write_file("a.txt", "");
  DeclaredFile f, g;
  f.text("a.txt");
  g.text("a.txt");
  f.call(OP_OPEN, 0x42);
  g.call(OP_OPEN, 0x42);
  f.call(OP_LOCKfile);
  g.call(OP_LOCKfilesec, 0);
  EXPECT_EQ(error_code(), svc::err::file_already_locked);
  g.set_record("x");
  g.call(OP_ADD);  // the automatic lock of a shared write is refused too
  EXPECT_EQ(error_code(), svc::err::access_denied);
  f.call(OP_UNLOCK);
  g.call(OP_ADD);
  EXPECT_EQ(error_code(), 0);
}

TEST_F(dispatch_test, sharing_modes_refuse_conflicting_opens_with_access_denied) {
  write_file("a.txt", "");
  DeclaredFile f, g;
  f.text("a.txt");
  g.text("a.txt");
  f.call(OP_OPEN, 0x22);  // read and write, deny write
  g.call(OP_OPEN, 0x22);
  EXPECT_EQ(error_code(), svc::err::access_denied);
  g.call(OP_OPEN, 0x40);  // read only, deny none
  EXPECT_EQ(error_code(), 0);
}

TEST_F(dispatch_test, empty_needs_exclusive_access_and_truncates) {
  write_file("a.txt", "abc\r\n");
  DeclaredFile f;
  f.text("a.txt");
  f.call(OP_OPEN, 0x42);
  f.call(OP_EMPTY);
  EXPECT_EQ(error_code(), svc::err::exclusive_access_required);
  f.call(OP_CLOSE);
  f.call(OP_OPEN, 0x12);
  f.call(OP_EMPTY);
  EXPECT_EQ(error_code(), 0);
  f.call(OP_CLOSE);
  EXPECT_EQ(read_file("a.txt"), "");
}

TEST_F(dispatch_test, clear_blanks_the_record_by_its_fields) {
  write_file("a.txt", "");
  DeclaredFile f;
  f.text("a.txt", 10);
  f.set_record("0123456789");
  f.call(OP_OPEN, 0x22);
  f.call(OP_CLEAR);
  EXPECT_EQ(f.record_text(), std::string(10, ' '));
}

TEST_F(dispatch_test, shutdown_closes_every_file_and_writes_what_was_buffered) {
  write_file("a.txt", "");
  write_file("b.bin", "");
  DeclaredFile f, g;
  f.text("a.txt");
  g.raw("b.bin");
  f.call(OP_OPEN, 0x22);
  g.call(OP_OPEN, 0x22);
  f.set_record("kept");
  f.call(OP_ADD);
  g.record[0] = 'z';
  g.call(OP_ADD);
  svc::error_state().post(svc::err::record_not_available);
  EXPECT_EQ(files_in_use(), 2u);
  close_all_files();
  EXPECT_EQ(files_in_use(), 0u);
  EXPECT_EQ(f.decl.instance, nullptr);
  EXPECT_EQ(read_file("a.txt"), "kept\r\n");
  EXPECT_EQ(read_file("b.bin"), "z");
  EXPECT_EQ(error_code(), svc::err::record_not_available);  // the error state is left as it was
}

TEST_F(dispatch_test, thread_files_get_their_own_declaration_per_thread) {
  write_file("a.txt", "main\r\n");
  write_file("b.txt", "other\r\n");
  DeclaredFile f;
  f.text("a.txt");
  f.call(OP_OPEN, 0x40);
  f.call(OP_SETfile);
  f.call(OP_NEXT);
  std::string other_record;
  std::thread([&] {
    FileDeclaration* mine = thread_declaration(&f.decl);
    EXPECT_NE(mine, &f.decl);
    EXPECT_EQ(mine->instance, nullptr);
    const char* name = "b.txt";
    mine->name = name;
    mine->name_length = kNulTerminated;
    OPEN(&f.decl, 0x40);
    SET(&f.decl);
    NEXT(&f.decl);
    other_record.assign(reinterpret_cast<char*>(mine->record), 5);
    CLOSE(&f.decl);
  }).join();
  EXPECT_EQ(other_record, "other");
  EXPECT_EQ(f.clipped(), "main");
  EXPECT_NE(f.decl.instance, nullptr);
}

TEST_F(dispatch_test, bad_descriptor_and_bad_declaration_are_refused) {
  DeclaredFile f;
  f.text("a.txt");
  f.descriptor[0] = rt::FT_STRING;  // not a group
  f.call(OP_OPEN, 0x22);
  EXPECT_EQ(error_code(), svc::err::invalid_field_type);
  EXPECT_EQ(f.decl.instance, nullptr);
  DeclaredFile g;
  g.text("a.txt");
  g.decl.key_count = 1;  // keys declared without their table
  g.call(OP_OPEN, 0x22);
  EXPECT_EQ(error_code(), svc::err::invalid_record_declaration);
}

}  // namespace

namespace {

TEST_F(dispatch_test, drivers_describe_themselves) {
  const DriverDescriptor& text = ascii_descriptor();
  const DriverDescriptor& raw = dos_descriptor();
  EXPECT_STREQ(text.name, "ASCII");
  EXPECT_STREQ(text.description, "ASCII (Text)");
  EXPECT_STREQ(text.library_names[1], "B5ASCS.DLL");
  EXPECT_STREQ(raw.description, "DOS (Binary)");
  EXPECT_STREQ(raw.library_names[0], "B5DOS.DLL");
  EXPECT_EQ(text.operations[0], 34);
  EXPECT_EQ(raw.operations[0], 36);
  EXPECT_EQ(text.field_types[0], 2);
  EXPECT_EQ(raw.field_types[0], 18);
  for (int32_t code : {OP_ADD, OP_NEXT, OP_SEND, OP_UNLOCK, OP_REGETfile}) {
    EXPECT_TRUE(supports_operation(text, code)) << operation_name(code);
    EXPECT_TRUE(supports_operation(raw, code)) << operation_name(code);
  }
  for (int32_t code : {OP_PREVIOUS, OP_RECORDSfile}) {
    EXPECT_FALSE(supports_operation(text, code)) << operation_name(code);
    EXPECT_TRUE(supports_operation(raw, code)) << operation_name(code);
  }
  EXPECT_FALSE(supports_operation(raw, OP_DELETE));
}

}  // namespace
