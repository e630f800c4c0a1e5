#include "drivers/driver_trace.h"

#include <cstdio>
#include <cstring>

#include "drivers/low_level_io.h"
#include "drivers/open_files.h"
#include "drivers/operation_codes.h"
#include "drivers/structure_dump.h"
#include "drivers/trace_writer.h"
#include "platform/clock.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "runtime/compare.h"
#include "runtime/date_time.h"
#include "runtime/number_text.h"
#include "runtime/record_descriptor.h"
#include "runtime/string_ops.h"
#include "services/error_state.h"
#include "services/heap.h"

namespace drv {
namespace {

// The declarations whose structure dump this run has written.
struct DumpedFiles {
  const FileDeclaration** items = nullptr;
  uint32_t count = 0;
  uint32_t capacity = 0;

  // True when the file is new to the set (and is now entered).
  bool enter(const FileDeclaration* file) {
    for (uint32_t i = 0; i < count; ++i)
      if (items[i] == file) return false;
    if (count == capacity) {
      uint32_t grown = capacity ? capacity * 2 : 16;
      void* block = svc::resize(items, grown * uint32_t(sizeof(void*)));
      if (!block) return false;
      items = static_cast<const FileDeclaration**>(block);
      capacity = grown;
    }
    items[count++] = file;
    return true;
  }
  void reset() {
    svc::release(items);
    *this = DumpedFiles{};
  }
};

DumpedFiles& dumped_files() {
  static DumpedFiles files;
  return files;
}

// Whether the driver string holds the word ALLOWDETAILS: words are split at
// slashes when the string starts with one, else at commas; quotes protect.
bool allows_details(const char* text) {
  if (!text) return false;
  char separator = text[0] == '/' ? '/' : ',';
  const char* word = text;
  bool quoted = false;
  for (const char* p = text;; ++p) {
    if (*p == '"') quoted = !quoted;
    if (*p == 0 || (*p == separator && !quoted)) {
      if (rt::collate_texts_nocase(word, uint32_t(p - word), "ALLOWDETAILS", 12) == 0) return true;
      if (*p == 0) return false;
      word = p + 1;
    }
  }
}

plat::HANDLE open_log(const char* name) {
  plat::HANDLE log = nullptr;
  // Never through a link: a log would otherwise add to whatever it names.
  if (sys::open_existing(name, 0x41, log, sys::Links::refused) != 0 &&
      sys::create(name, 0, log, sys::Links::refused) != 0)
    return nullptr;
  sys::seek(log, 0, sys::Origin::end);
  return log;
}

void operation_text(TraceWriter& out, const FileInstance& f, int32_t code,
                    const KeyDescriptor* key) {
  char text[plat::WSPRINTF_LIMIT];
  int n = std::snprintf(text, sizeof text, "%s(%s", operation_name(code), f.name);
  if (key && n > 0 && n < int(sizeof text)) {
    const char* key_name = key->external_name && key->external_name[0] ? key->external_name
                                                                         : key->label;
    n += std::snprintf(text + n, sizeof text - n, ",%s[%d]", key_name ? key_name : "",
                       int(key - f.keys) + 1);
  }
  if (n > 0 && n < int(sizeof text))
    std::snprintf(text + n, sizeof text - n, " %u) ", current_thread_number());
  out.print("%-18s", text);
}

void outcome_text(TraceWriter& out, int32_t error) {
  if (error == 0) return;
  if (error == svc::err::file_system_error) {
    std::string_view m = rt::clipped_text(svc::error_state().file_error_message());
    char text[svc::file_error_message_width + 1] = {};
    std::memcpy(text, m.data(), m.size());
    out.print("File Error: %s ", text);
    return;
  }
  out.print("Error: %s ", svc::error_state().message_of(error).text);
}

}  // namespace

// Defined in trace_values.cpp.
void write_record_values(TraceWriter& out, const FileInstance& f);

uint32_t centiseconds() { return plat::GetTickCount() / 10; }

void reset_trace_dumps() { dumped_files().reset(); }

void trace_setup(FileInstance& f) {
  const char* section = f.driver->profile_section;
  f.trace_on = plat::GetProfileIntA(section, "Profile", 0) != 0;
  if (!f.trace_on) return;
  plat::GetProfileStringA(section, "TraceFile", "", f.trace_file, kTraceFileSize);
  if (!f.trace_file[0]) std::snprintf(f.trace_file, kTraceFileSize, "%s", f.driver->default_log);
  bool details_allowed = !(f.attributes & kInstEncrypt) || allows_details(f.driver_string);
  f.trace_details = details_allowed && plat::GetProfileIntA(section, "Details", 0) != 0;
}

void trace_operation(FileInstance& f, int32_t code, const KeyDescriptor* key, int32_t error,
                     uint32_t elapsed) {
  plat::HANDLE log = static_cast<plat::HANDLE>(f.trace_handle);
  bool opened_here = log == nullptr;
  if (opened_here && (log = open_log(f.trace_file)) == nullptr) return;
  TraceWriter out(log);
  if (f.trace_details && dumped_files().enter(f.declaration)) write_structure_dump(out, f);
  operation_text(out, f, code, key);
  outcome_text(out, error);
  out.print("Time Taken: %ld.%02ld secs\r\n", int32_t(elapsed / 100), int32_t(elapsed % 100));
  if (f.trace_details && is_record_transfer(code)) write_record_values(out, f);
  if (opened_here) sys::close(log);
}

}  // namespace drv
