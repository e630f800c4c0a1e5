#include "cli/front_end.h"

#include <cstdio>

#include "app/draft_output.h"
#include "app/options_body.h"
#include "app/program_module.h"
#include "cli/draft_report.h"
#include "cli/option_message.h"
#include "cli/input_file.h"
#include "cli/options.h"
#include "cli/usage_text.h"
#include "platform/last_error.h"
#include "platform/process.h"
#include "services/startup.h"

namespace cli {

namespace {

// The options of this run, for the first procedure, which takes no arguments.
Options the_options;

// What the shell's answer means, for a draft that it did not open.
std::string open_failure(plat::DWORD answer) {
  switch (answer) {
    case plat::SE_ERR_NOASSOC:
      return "no program that opens it was found (on Linux: xdg-open on PATH)";
    case plat::SE_ERR_ASSOCINCOMPLETE:
      return "the program that opens it ended in failure (exit code " + std::to_string(plat::GetLastError()) + ")";
    case plat::SE_ERR_OOM:
      return "there was no memory to start the program that opens it";
    default:
      return "the system answered " + std::to_string(answer);
  }
}

// Opens the written draft in the user's mail client; kExitNotOpened with
// its one line when that fails, the draft staying as written.
int open_draft(const std::string& draft) {
  const auto answer = plat::DWORD(reinterpret_cast<uintptr_t>(plat::ShellExecuteA(nullptr, "open", draft.c_str(), nullptr, nullptr, 1)));
  if (answer > 32) return app::kExitWritten;
  return report({kExitNotOpened, "the draft '" + draft + "' is written, but it could not be opened: " + open_failure(answer)});
}

// Puts a report on standard output: 0, or 74 with its line when it could
// not be written whole.
int print(const std::string& text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
    return app::kExitWritten;
  return report({app::kExitIoError, "cannot write to standard output"});
}

// A dry run meets every refusal of a run that writes, up to the draft's
// first byte, and makes the text parts to learn their sizes.
int dry_run(const mime::Message& message) {
  const bool to_standard_output = the_options.output == kStandardOutput;
  if (!app::check_message_file(the_options.output, to_standard_output) || !run_streams(message))
    return app::report_outcome();
  return print(structure_text(message, the_options));
}

int option_procedure() {
  svc::program_start_step();
  app::OptionsBody body;
  mime::Message message;
  std::optional<Refusal> refusal;
  if (!build_message(the_options, body, message, refusal)) return refusal ? report(*refusal) : app::report_outcome();
  if ((refusal = check_draft(message, the_options))) return report(*refusal);
  count_stream_sizes(message);
  if (the_options.dry_run) return dry_run(message);
  app::write_draft(message, the_options.output, the_options.output == kStandardOutput, app::DraftWrites::blocks);
  int code = app::report_outcome();
  if (code == app::kExitWritten && the_options.json) code = print(json_report(message, the_options));
  return code == app::kExitWritten && the_options.open ? open_draft(the_options.output) : code;
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
