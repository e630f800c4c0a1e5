// Declared files and a temporary working folder for the driver tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "drivers/ascii_driver.h"
#include "drivers/dispatch.h"
#include "drivers/dos_driver.h"
#include "drivers/file_declaration.h"
#include "platform/path.h"
#include "runtime/record_descriptor.h"
#include "runtime/string_stack.h"
#include "services/error_state.h"

namespace drv_test {

// A declaration with its record, descriptor and name storage.
struct DeclaredFile {
  drv::FileDeclaration decl{};
  unsigned char descriptor[128] = {};
  unsigned char record[512] = {};
  char name[257] = {};
  std::string options;

  DeclaredFile() = default;
  DeclaredFile(const DeclaredFile&) = delete;
  ~DeclaredFile() { drv::discard_instance(&decl); }

  void declare(drv::DriverEntry driver, const char* file_name, rt::FieldType type,
               uint32_t length, const char* driver_options, const char* label) {
    rt::DescriptorWriter w(descriptor, sizeof descriptor);
    w.begin_group();
    w.field(type, label, type == rt::FT_BYTE ? 0 : length);
    w.end_group();
    std::memset(name, ' ', 256);
    std::memcpy(name, file_name, std::strlen(file_name));
    decl.driver = driver;
    decl.name = name;
    decl.name_length = 256;
    if (driver_options) {
      options = driver_options;
      decl.driver_string = options.c_str();
      decl.driver_string_length = drv::kNulTerminated;
    }
    decl.attributes = drv::kDeclCreate | drv::kDeclThread;
    decl.record_length = length;
    decl.record_descriptor = descriptor;
    decl.record = record;
  }
  // A text file with one STRING field of `length` characters (ASCII driver).
  void text(const char* file_name, uint32_t length = 250, const char* driver_options = nullptr) {
    declare(drv::ascii_driver, file_name, rt::FT_STRING, length, driver_options, "OUED:LINE");
  }
  // A raw file with one field of `length` bytes (DOS driver): a BYTE for 1.
  void raw(const char* file_name, uint32_t length = 1, const char* driver_options = nullptr) {
    declare(drv::dos_driver, file_name, length == 1 ? rt::FT_BYTE : rt::FT_STRING, length,
            driver_options, "INED:BYTE");
  }
  void set_record(const std::string& text) {
    std::memset(record, ' ', decl.record_length);
    std::memcpy(record, text.data(), std::min<size_t>(text.size(), decl.record_length));
  }
  std::string record_text() const {
    return std::string(reinterpret_cast<const char*>(record), decl.record_length);
  }
  std::string clipped() const {
    std::string s = record_text();
    return s.substr(0, s.find_last_not_of(' ') + 1);
  }
  int32_t call(int32_t op, int32_t a = 0, int32_t b = 0) {
    drv::DriverArg args[2];
    args[0].number = a;
    args[1].number = b;
    return decl.driver(op, &decl, args);
  }
  // Runs a string-argument operation and returns the string it pushed.
  std::string call_with_text(int32_t op, const std::string& text) {
    rt::string_stack().push_borrowed(text.data(), uint32_t(text.size()));
    decl.driver(op, &decl, nullptr);
    return pop_text();
  }
  static std::string pop_text() {
    rt::HeapString s = rt::string_stack().pop_into_heap();
    std::string out(s.text ? s.text : "", s.length);
    rt::release_heap_string(s);
    return out;
  }
};

// Runs each test in a fresh temporary folder made the current directory.
class RecordFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char current[1024] = {};
    plat::GetCurrentDirectoryA(sizeof current, current);
    previous_ = current;
    folder_ = std::filesystem::temp_directory_path() /
              ("msgmake-drivers-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    plat::SetCurrentDirectoryA(folder_.string().c_str());
    svc::error_state().reset();
    rt::string_stack().reset();
  }
  void TearDown() override {
    plat::SetCurrentDirectoryA(previous_.string().c_str());
    std::filesystem::remove_all(folder_);
  }
  std::string path(const std::string& name) const { return (folder_ / name).string(); }
  void write_file(const std::string& name, const std::string& bytes) const {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
  }
  std::string read_file(const std::string& name) const {
    std::ifstream in(folder_ / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static int32_t error_code() { return svc::error_state().code(); }

  std::filesystem::path folder_;
  std::filesystem::path previous_;
};

}  // namespace drv_test
