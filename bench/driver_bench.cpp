// The two paths the program runs per byte and per line: one-byte NEXT through
// the DOS driver over a 50 MB file, and ADD of 1,000,000 lines of 76
// characters through the ASCII driver; each beside the same work done with
// plain buffered standard I/O in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "drivers/ascii_driver.h"
#include "drivers/dos_driver.h"
#include "drivers/file_declaration.h"
#include "drivers/operation_codes.h"
#include "drivers/record_statements.h"
#include "runtime/record_descriptor.h"
#include "services/error_state.h"

namespace {

constexpr size_t kReadBytes = 50u * 1000 * 1000;
constexpr int kLines = 1000000;
constexpr size_t kLineLength = 76;

std::string work_file(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

const std::string& input_file() {
  static const std::string name = [] {
    std::string n = work_file("msgmake-bench-input.bin");
    if (!std::filesystem::exists(n) || std::filesystem::file_size(n) != kReadBytes) {
      std::FILE* f = std::fopen(n.c_str(), "wb");
      std::string block(1 << 16, '\0');
      for (size_t i = 0; i < block.size(); ++i) block[i] = char(i * 31 + 7);
      for (size_t left = kReadBytes; left > 0;) {
        size_t n = left < block.size() ? left : block.size();
        std::fwrite(block.data(), 1, n, f);
        left -= n;
      }
      std::fclose(f);
    }
    return n;
  }();
  return name;
}

struct Declared {
  drv::FileDeclaration decl{};
  unsigned char descriptor[64] = {};
  unsigned char record[256] = {};
  std::string name;

  Declared(drv::DriverEntry driver, const std::string& file, rt::FieldType type,
           uint32_t length) {
    name = file;
    rt::DescriptorWriter w(descriptor, sizeof descriptor);
    w.begin_group();
    w.field(type, "F:FIELD", type == rt::FT_BYTE ? 0 : length);
    w.end_group();
    decl.driver = driver;
    decl.name = name.c_str();
    decl.name_length = drv::kNulTerminated;
    decl.attributes = drv::kDeclCreate | drv::kDeclThread;
    decl.record_length = length;
    decl.record_descriptor = descriptor;
    decl.record = record;
  }
};

void dos_next_one_byte(benchmark::State& state) {
  const std::string& input = input_file();
  for (auto _ : state) {
    Declared f(drv::dos_driver, input, rt::FT_BYTE, 1);
    drv::OPEN(&f.decl, 0x20);  // as the program opens its inputs: read only, writers denied
    drv::SET(&f.decl);
    uint32_t sum = 0;
    for (;;) {
      drv::NEXT(&f.decl);
      if (svc::error_state().code() != 0) break;
      sum += f.record[0];
    }
    drv::CLOSE(&f.decl);
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kReadBytes));
}

void stdio_getc_loop(benchmark::State& state) {
  const std::string& input = input_file();
  for (auto _ : state) {
    std::FILE* f = std::fopen(input.c_str(), "rb");
    uint32_t sum = 0;
    for (int c; (c = getc_unlocked(f)) != EOF;) sum += uint32_t(c);
    std::fclose(f);
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kReadBytes));
}

void ascii_add_lines(benchmark::State& state) {
  std::string output = work_file("msgmake-bench-output.txt");
  for (auto _ : state) {
    Declared f(drv::ascii_driver, output, rt::FT_STRING, 250);
    drv::REMOVE(&f.decl);
    drv::CREATE(&f.decl);
    drv::OPEN(&f.decl, 0x22);
    for (int i = 0; i < kLines; ++i) {
      std::memset(f.record, ' ', 250);
      std::memset(f.record, 'A' + i % 26, kLineLength);
      drv::ADD(&f.decl);
    }
    drv::CLOSE(&f.decl);
  }
  std::filesystem::remove(output);
  state.SetBytesProcessed(int64_t(state.iterations()) * kLines * int64_t(kLineLength + 2));
}

void stdio_line_writes(benchmark::State& state) {
  std::string output = work_file("msgmake-bench-output-stdio.txt");
  for (auto _ : state) {
    std::FILE* f = std::fopen(output.c_str(), "wb");
    char line[256];
    for (int i = 0; i < kLines; ++i) {
      std::memset(line, ' ', 250);
      std::memset(line, 'A' + i % 26, kLineLength);
      size_t n = 250;
      while (n > 0 && line[n - 1] == ' ') --n;
      std::fwrite(line, 1, n, f);
      std::fwrite("\r\n", 1, 2, f);
    }
    std::fclose(f);
  }
  std::filesystem::remove(output);
  state.SetBytesProcessed(int64_t(state.iterations()) * kLines * int64_t(kLineLength + 2));
}

BENCHMARK(dos_next_one_byte)->Unit(benchmark::kMillisecond);
BENCHMARK(stdio_getc_loop)->Unit(benchmark::kMillisecond);
BENCHMARK(ascii_add_lines)->Unit(benchmark::kMillisecond);
BENCHMARK(stdio_line_writes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
