// What the platform layer adds to the system's own calls: opening a file with
// its sharing announced (against the C library's fopen), small writes through
// a handle, and the linguistic comparison (against strcmp).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/file.h"
#include "platform/text.h"

namespace {

std::string bench_file() {
  return (std::filesystem::temp_directory_path() / "msgmake_platform_bench.dat").string();
}

void open_and_close_with_sharing(benchmark::State& state) {
  std::string name = bench_file();
  std::fclose(std::fopen(name.c_str(), "wb"));
  for (auto _ : state) {
    plat::HANDLE h = plat::CreateFileA(name.c_str(), plat::GENERIC_READ | plat::GENERIC_WRITE,
                                       plat::FILE_SHARE_READ, nullptr, plat::OPEN_EXISTING,
                                       plat::FILE_ATTRIBUTE_NORMAL, nullptr);
    benchmark::DoNotOptimize(h);
    plat::CloseHandle(h);
  }
}
BENCHMARK(open_and_close_with_sharing);

void open_and_close_with_fopen(benchmark::State& state) {
  std::string name = bench_file();
  std::fclose(std::fopen(name.c_str(), "wb"));
  for (auto _ : state) {
    std::FILE* f = std::fopen(name.c_str(), "r+b");
    benchmark::DoNotOptimize(f);
    std::fclose(f);
  }
}
BENCHMARK(open_and_close_with_fopen);

void write_76_byte_lines(benchmark::State& state) {
  std::string name = bench_file();
  plat::HANDLE h = plat::CreateFileA(name.c_str(), plat::GENERIC_WRITE, 0, nullptr,
                                     plat::CREATE_ALWAYS, plat::FILE_ATTRIBUTE_NORMAL, nullptr);
  char line[76];
  std::memset(line, 'Q', sizeof line);
  for (auto _ : state) {
    plat::DWORD written = 0;
    plat::WriteFile(h, line, sizeof line, &written, nullptr);
    if (state.iterations() % 100000 == 0) plat::SetFilePointer(h, 0, nullptr, plat::FILE_BEGIN);
  }
  plat::CloseHandle(h);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 76);
}
BENCHMARK(write_76_byte_lines);

void compare_linguistic(benchmark::State& state) {
  const char* a = "Attachment \xE9t\xE9 report-2024.txt";
  const char* b = "attachment ETE report2024.txt";
  for (auto _ : state) benchmark::DoNotOptimize(plat::lstrcmpA(a, b));
}
BENCHMARK(compare_linguistic);

void compare_strcmp(benchmark::State& state) {
  const char* a = "Attachment \xE9t\xE9 report-2024.txt";
  const char* b = "attachment ETE report2024.txt";
  for (auto _ : state) benchmark::DoNotOptimize(std::strcmp(a, b));
}
BENCHMARK(compare_strcmp);

}  // namespace

BENCHMARK_MAIN();
