#include "cli/refusal.h"

#include <cstdio>

namespace cli {

int report(const Refusal& refusal) {
  std::string line = "msgmake: " + refusal.message;
  if (refusal.exit_code == app::kExitUsage) line += ". Try 'msgmake --help'.";
  line += '\n';
  std::fputs(line.c_str(), stderr);
  return refusal.exit_code;
}

}  // namespace cli
