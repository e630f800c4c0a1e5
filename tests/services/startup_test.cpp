// Start-up and shutdown: the order of the start and stop routines, module
// registration, the once-only exit sequence and the process entry.
#include "services/startup.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "drivers/ascii_driver.h"
#include "drivers/file_declaration.h"
#include "drivers/open_files.h"
#include "platform/file.h"
#include "platform/process.h"
#include "runtime/record_descriptor.h"
#include "services/module_registry.h"
#include "services/process_state.h"
#include "services/shutdown.h"

namespace {

std::vector<std::string> calls;

template <char Name>
void routine(int32_t stage) {
  calls.push_back(std::string(1, Name) + (stage == svc::kStartStage ? "+" : "-"));
}

// Thrown by the replaced ExitProcess so a test can follow the exit sequence.
struct ProcessEnded {
  unsigned code;
};
void end_by_throwing(plat::UINT code) { throw ProcessEnded{code}; }

class Fresh {
 public:
  Fresh() {
    calls.clear();
    svc::module_registry().reset();
    svc::shutdown().reset();
    svc::process_state().reset();
    plat::set_exit_process_hook(&end_by_throwing);
  }
  ~Fresh() {
    plat::set_exit_process_hook(nullptr);
    svc::module_registry().reset();
    svc::shutdown().reset();
    svc::process_state().reset();
  }
};

const svc::InitEntry kTable[] = {
    {5, &routine<'a'>, &routine<'a'>},   {16, &routine<'b'>, &routine<'b'>}, {255, &routine<'c'>, &routine<'c'>},
    {16, &routine<'d'>, &routine<'d'>},  {0, &routine<'e'>, &routine<'e'>},  {5, &routine<'f'>, &routine<'f'>},
    {150, nullptr, &routine<'g'>},       {28, &routine<'h'>, nullptr},
};

svc::ModuleDescriptor module_with(const svc::InitEntry* begin, const svc::InitEntry* end) {
  svc::ModuleDescriptor m{};
  m.init_begin = begin;
  m.init_end = end;
  return m;
}

}  // namespace

TEST(startup_test, start_routines_run_by_descending_priority_in_table_order) {
  Fresh fresh;
  svc::run_start_routines(std::begin(kTable), std::end(kTable));
  EXPECT_EQ(calls, (std::vector<std::string>{"c+", "h+", "b+", "d+", "a+", "f+"}))
      << "priority 0 and null start routines never start";
}

TEST(startup_test, stop_routines_run_by_ascending_priority_in_reverse_table_order) {
  Fresh fresh;
  svc::run_stop_routines(std::begin(kTable), std::end(kTable));
  EXPECT_EQ(calls, (std::vector<std::string>{"e-", "f-", "a-", "d-", "b-", "g-", "c-"}));
}

TEST(startup_test, registration_links_modules_newest_first_and_starts_them) {
  Fresh fresh;
  const svc::InitEntry first_table[] = {{5, &routine<'x'>, &routine<'x'>}};
  const svc::InitEntry second_table[] = {{5, &routine<'y'>, &routine<'y'>}};
  svc::ModuleDescriptor first = module_with(std::begin(first_table), std::end(first_table));
  svc::ModuleDescriptor second = module_with(std::begin(second_table), std::end(second_table));
  svc::ModuleRegistry& registry = svc::module_registry();
  registry.register_module(first);
  registry.register_module(second);
  EXPECT_EQ(calls, (std::vector<std::string>{"x+", "y+"}));
  ASSERT_NE(registry.head(), nullptr);
  EXPECT_EQ(registry.head()->descriptor, &second);
  EXPECT_EQ(registry.head()->next->descriptor, &first);
  EXPECT_EQ(second.previous, &first);
  EXPECT_EQ(first.previous, nullptr);
  EXPECT_EQ(registry.program_instance(), plat::GetModuleHandleA(nullptr));
  EXPECT_EQ(first.instance, registry.program_instance());

  EXPECT_TRUE(registry.unregister_module(first));
  EXPECT_EQ(registry.head()->descriptor, &second);
  EXPECT_EQ(registry.head()->next, nullptr);
  EXPECT_EQ(calls.back(), "x-");
  // A module no longer in the list is still stopped, and reported missing.
  EXPECT_FALSE(registry.unregister_module(first));
  EXPECT_EQ(calls.back(), "x-");
  EXPECT_EQ(calls.size(), 4u);
}

TEST(startup_test, fixups_make_imported_references_direct) {
  Fresh fresh;
  static int imported_value = 0;
  void* import_area[2] = {&imported_value, nullptr};
  int local = 0;
  void* run[3] = {&import_area[0], &local, &import_area[1]};
  const svc::FixupEntry fixups[] = {{run, sizeof run}};
  svc::ModuleDescriptor m{};
  m.fixup_begin = std::begin(fixups);
  m.fixup_end = std::end(fixups);
  m.import_begin = import_area;
  m.import_end = import_area + 2;
  svc::module_registry().register_module(m);
  EXPECT_EQ(run[0], &imported_value);
  EXPECT_EQ(run[1], &local) << "a pointer outside the import area stays";
  EXPECT_EQ(run[2], nullptr);
}

namespace {
void exit_again(int32_t) { svc::shutdown().exit(7); }
}  // namespace

TEST(startup_test, exit_stops_the_program_once_even_when_entered_again) {
  Fresh fresh;
  const svc::InitEntry table[] = {{5, &routine<'p'>, &routine<'p'>}, {3, nullptr, &exit_again}};
  svc::ModuleDescriptor program = module_with(std::begin(table), std::end(table));
  svc::module_registry().register_module(program);
  svc::shutdown().set_program_module(&program);
  calls.clear();
  try {
    svc::shutdown().exit(3);
    FAIL() << "exit returned";
  } catch (const ProcessEnded& ended) {
    EXPECT_EQ(ended.code, 7u) << "a stop routine calling exit ends the process with its code";
  }
  EXPECT_TRUE(calls.empty()) << "stopping ended inside the first stop routine";
  EXPECT_EQ(svc::module_registry().head(), nullptr);
  try {
    svc::shutdown().exit(4);
  } catch (const ProcessEnded& ended) {
    EXPECT_EQ(ended.code, 4u);
  }
  EXPECT_TRUE(calls.empty()) << "the second exit goes straight to the end of the process";
}

TEST(startup_test, shutdown_sequence_clears_running_flag_and_cleans_up_files_once) {
  Fresh fresh;
  static std::vector<std::string>* log = &calls;
  svc::ShutdownHooks hooks;
  hooks.close_main_thread_windows = [] { log->push_back("windows"); };
  hooks.wait_for_other_threads = [] { log->push_back(svc::process_state().running() ? "threads" : "late"); };
  hooks.kill_global_timer = [] { log->push_back(svc::process_state().running() ? "early" : "timer"); };
  svc::shutdown().set_hooks(hooks);
  svc::process_state().set_final_file_cleanup([] { log->push_back("files"); });
  svc::shutdown().run_sequence();
  EXPECT_FALSE(svc::process_state().running());
  svc::process_state().run_final_file_cleanup();
  EXPECT_EQ(calls, (std::vector<std::string>{"windows", "threads", "timer", "files"}));
}

namespace {
int started_before_first = 0;
void note_start(int32_t stage) {
  if (stage == svc::kStartStage) started_before_first = 40;
}
int first_procedure() {
  svc::program_start_step();
  svc::program_start_step();
  return started_before_first + (svc::program_started() ? 2 : 0);
}
int run_entry(void*) {
  static const svc::InitEntry table[] = {{5, &note_start, &note_start}};
  static svc::ModuleDescriptor program = module_with(std::begin(table), std::end(table));
  svc::process_entry(program, &first_procedure);
}
}  // namespace

TEST(startup_test, process_entry_ends_with_the_first_procedures_code) {
  EXPECT_EQ(plat::run_in_child_process(&run_entry, nullptr), 42);
}

namespace {

// A text file declared as the program declares its message file.
struct OpenTextFile {
  char name[64] = {};
  unsigned char line[16] = {};
  unsigned char descriptor[40] = {};
  drv::FileDeclaration file{};
};
OpenTextFile left_open;

// The file drivers' start routine as a program installs it.
void app_file_cleanup_routine(int32_t stage) {
  if (stage == svc::kStartStage) svc::process_state().set_final_file_cleanup(&drv::close_all_files);
}

int leave_a_file_open() {
  std::snprintf(left_open.name, sizeof left_open.name, "%s/startup-test-%u.txt",
                std::filesystem::temp_directory_path().string().c_str(), static_cast<unsigned>(plat::GetCurrentProcessId()));
  rt::DescriptorWriter writer(left_open.descriptor, sizeof left_open.descriptor);
  writer.begin_group();
  writer.field(rt::FT_STRING, "LINE", sizeof left_open.line);
  writer.end_group();
  drv::FileDeclaration& f = left_open.file;
  f.driver = &drv::ascii_driver;
  f.name = left_open.name;
  f.name_length = drv::kNulTerminated;
  f.driver_string = "";
  f.driver_string_length = drv::kNulTerminated;
  f.attributes = drv::kDeclCreate;
  f.record_length = sizeof left_open.line;
  f.record_descriptor = left_open.descriptor;
  f.record = left_open.line;
  drv::CREATE(&f);
  drv::OPEN(&f, 0x22);
  return drv::files_in_use() == 1 ? 0 : 50;
}

// Runs at shutdown after the file clean-up: ends the process at once with a
// code that tells whether the file was closed.
void report_open_files(int32_t stage) {
  if (stage != svc::kStopStage) return;
  plat::DeleteFileA(left_open.name);
  svc::shutdown().exit(drv::files_in_use() == 0 ? 42 : 43);
}

int run_program_leaving_a_file_open(void*) {
  static const svc::InitEntry table[] = {{16, &app_file_cleanup_routine, nullptr}, {5, nullptr, &report_open_files}};
  static svc::ModuleDescriptor program = module_with(std::begin(table), std::end(table));
  svc::process_entry(program, &leave_a_file_open);
}

}  // namespace

TEST(startup_test, file_left_open_by_the_main_procedure_is_closed_at_shutdown) {
  EXPECT_EQ(plat::run_in_child_process(&run_program_leaving_a_file_open, nullptr), 42);
}
