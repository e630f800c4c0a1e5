// The second process of the drivers' sharing tests: opens the text file named
// by its argument for reading and writing, denying write, locks it, creates
// "<name>.ready" and holds both until its standard input ends.
#include <cstdio>
#include <string>

#include "drivers/operation_codes.h"
#include "tests/drivers/record_file_fixture.h"

int main(int argc, char** argv) {
  if (argc != 2) return 64;
  drv_test::DeclaredFile f;
  f.text(argv[1]);
  f.call(drv::OP_OPEN, 0x22);
  f.call(drv::OP_LOCKfile);
  if (svc::error_state().code() != 0) return 1;
  std::FILE* ready = std::fopen((std::string(argv[1]) + ".ready").c_str(), "w");
  if (ready == nullptr) return 1;
  std::fclose(ready);
  while (std::fgetc(stdin) != EOF) {
  }
  f.call(drv::OP_CLOSE);
  return 0;
}
