// msgmake: writes one MIME draft message from its command line, given as
// options or as the call text of its calling program.
#include "app/program_module.h"
#include "app/run_outcome.h"
#include "cli/front_end.h"
#include "platform/process.h"
#include "services/startup.h"

int main(int argc, char** argv) {
  app::end_runs_out_of_memory_cleanly();
  plat::take_main_arguments(argc, argv);
  if (cli::starts_with_option(argc, argv)) return cli::run_with_options(argc, argv);
  svc::process_entry(app::program_module(), &app::first_procedure);
}
