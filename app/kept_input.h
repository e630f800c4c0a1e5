// An input that is read through once before anything is written, and again
// from its start as often as its parts need it. A regular file is opened
// again, others kept from writing it meanwhile. Standard input, a pipe, a
// FIFO or a device cannot be read twice: the first reading keeps what it
// gives in a file of the system's temporary folder that is the run's alone
// (nobody else can open it, it has no name on Linux) and goes with it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace app {

struct KeptSource;

class KeptInput {
 public:
  // `what` names the input in refusals ("body": "cannot keep the body of
  // 'x'", "cannot read the body from standard input"), and `file_noun` a
  // named one ("body file": "cannot read body file 'x'").
  KeptInput(std::string_view what, std::string_view file_noun);
  ~KeptInput();
  KeptInput(const KeptInput&) = delete;
  KeptInput& operator=(const KeptInput&) = delete;

  // Opens `file` ("-" for standard input): standard input found closed is
  // told as such (66), never mistaken for a file that the run opened since.
  // False, with the refusal noted in run_outcome(), when it cannot be opened.
  bool open(const std::string& file);

  // The first reading: every piece, as read, to `piece`, and to the kept file
  // when the input cannot be read again. False, with the refusal noted in
  // run_outcome(), when it cannot be read (66, or 74 when the system failed)
  // or kept (74).
  bool read_first(const std::function<void(std::string_view)>& piece);

  // Reads the whole input once more, from its start. False, with the failure
  // noted in run_outcome(), when a read fails.
  bool read_again(const std::function<void(std::string_view)>& piece) const;

  // Whether it is open and not yet read for the first time.
  bool opened() const;
  // The bytes it holds; 0 before the first reading.
  uint64_t size() const;
  // "'news.html'", or "standard input".
  const std::string& shown_name() const;

  // Lets go of the input and of its kept file.
  void release();

 private:
  std::string what_, file_noun_;
  std::unique_ptr<KeptSource> source_;
};

// The exit code of a file that could not be had: the caller's fault (66)
// or the system's (74).
int input_exit(uint32_t system_error);

// Why a file could not be opened: its system error's text, or that it is a
// folder.
std::string open_error_text(std::string_view file, uint32_t system_error);

// The name that stands for standard input.
inline constexpr std::string_view kStandardInput = "-";

// Whether `file` can be read only once: standard input, or the name of what
// is neither a regular file nor a folder (a pipe, a FIFO, a device).
bool read_only_once(const std::string& file);

}  // namespace app
