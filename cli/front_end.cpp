#include "cli/front_end.h"

#include <cstdio>

#include "app/prepared_call.h"
#include "app/program_module.h"
#include "cli/option_call.h"
#include "cli/options.h"
#include "cli/usage_text.h"
#include "services/startup.h"

namespace cli {

namespace {

// The options of this run, for the first procedure, which takes no arguments.
Options the_options;

int option_procedure() {
  svc::program_start_step();
  app::PreparedCall call;
  if (auto refusal = build_call(the_options, call)) return report(*refusal);
  app::RunPreparedCall(call);
  return app::report_outcome();
}

}  // namespace

bool starts_with_option(int argc, const char* const* argv) { return argc > 1 && argv[1][0] == '-'; }

int run_with_options(int argc, const char* const* argv) {
  if (auto refusal = parse_options(argc, argv, the_options)) return report(*refusal);
  if (the_options.help || the_options.version) {
    std::fputs(the_options.help ? kUsageText : kVersionText, stdout);
    return app::kExitWritten;
  }
  svc::process_entry(app::program_module(), &option_procedure);
}

}  // namespace cli
