// Test helper: catches what a runtime error would show and do, so that error
// paths can be followed inside the test program. While it lives, message
// boxes are answered No and recorded, the exit operation records its code and
// returns, and debug-log lines are collected instead of written to a file.
#pragma once

#include <string>
#include <vector>

#include "platform/dialog.h"
#include "services/debug_log.h"
#include "services/error_state.h"
#include "services/process_state.h"

namespace life_test {

class RuntimeErrorCapture {
 public:
  struct Box {
    std::string text;
    std::string caption;
    unsigned type;
  };

  explicit RuntimeErrorCapture(int answer = plat::IDNO) {
    boxes().clear();
    exits().clear();
    log().clear();
    answer_value() = answer;
    svc::process_state().reset();
    svc::process_state().set_exit_operation(&record_exit);
    svc::reset_debug_log();
    svc::set_trace_output(&record_line);
    plat::set_message_box_hook(&record_box);
    svc::error_state().reset();
  }
  ~RuntimeErrorCapture() {
    plat::set_message_box_hook(nullptr);
    svc::reset_debug_log();
    svc::process_state().reset();
    svc::error_state().reset();
  }
  RuntimeErrorCapture(const RuntimeErrorCapture&) = delete;
  RuntimeErrorCapture& operator=(const RuntimeErrorCapture&) = delete;

  static std::vector<Box>& boxes() {
    static std::vector<Box> all;
    return all;
  }
  static std::vector<int>& exits() {
    static std::vector<int> all;
    return all;
  }
  static std::string& log() {
    static std::string text;
    return text;
  }

 private:
  static int& answer_value() {
    static int answer = plat::IDNO;
    return answer;
  }
  static int record_box(plat::HWND, plat::LPCSTR text, plat::LPCSTR caption, plat::UINT type) {
    boxes().push_back({text, caption, type});
    return answer_value();
  }
  static void record_exit(int code) { exits().push_back(code); }
  static void record_line(const char* text, std::size_t length) { log().append(text, length); }
};

// True when `log` is exactly an error trace of `message`: the "Error:" line,
// one to ten return-address lines of 8 to 16 lower-case hex digits, and the
// line of 34 hyphens.
inline bool is_error_trace(const std::string& log, const std::string& message) {
  std::string head = "Error: " + message + "\r\n";
  std::string tail = std::string(34, '-') + "\r\n";
  if (log.size() < head.size() + tail.size() || log.compare(0, head.size(), head) != 0 ||
      log.compare(log.size() - tail.size(), tail.size(), tail) != 0) {
    return false;
  }
  std::string addresses = log.substr(head.size(), log.size() - head.size() - tail.size());
  int lines = 0;
  for (std::size_t at = 0; at < addresses.size(); ++lines) {
    std::size_t end = addresses.find("\r\n", at);
    if (end == std::string::npos || addresses.compare(at, 3, "   ") != 0) return false;
    std::string digits = addresses.substr(at + 3, end - at - 3);
    if (digits.size() < 8 || digits.size() > 16 ||
        digits.find_first_not_of("0123456789abcdef") != std::string::npos) {
      return false;
    }
    at = end + 2;
  }
  return lines >= 1 && lines <= 10;
}

}  // namespace life_test
