#include "app/attachment_parts.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <utility>

#include "app/argument_text.h"
#include "app/file_head.h"
#include "app/html_body.h"
#include "app/message_output.h"
#include "app/message_structure.h"
#include "app/part_headers.h"
#include "app/program_data.h"
#include "app/run_outcome.h"
#include "app/work_copies.h"
#include "drivers/record_statements.h"
#include "mime/base64.h"
#include "mime/content_scan.h"
#include "mime/media_types.h"
#include "platform/last_error.h"
#include "runtime/string_stack.h"
#include "runtime/string_value.h"
#include "services/error_state.h"

namespace app {

namespace {

// Files to encode are only read: read only, others denied writing, so a
// read-only file is encoded too and nobody changes it meanwhile.
constexpr int32_t kInputOpenMode = 0x20;
constexpr int32_t kOutputOpenMode = 0x22;
constexpr size_t kCopyBlock = 16 * 1024;

void set_name(char (&variable)[kFileNameSize], std::string_view name) {
  name = clipped(name);
  if (name.data() == variable) return;  // already the name (the composer's own message file)
  rt::assign_string(variable, kFileNameSize, name.data(), static_cast<uint32_t>(name.size()));
}

void clear_line() { rt::fill_spaces(reinterpret_cast<char*>(program_data().message_line), kMessageLineSize); }

// A part cannot be completed: the work copy goes, and the first failure of
// the run is noted for the caller.
void give_up_part(FailedFile kind, std::string_view name, const svc::ErrorFields& error,
                  std::string_view work_copy) {
  run_outcome().note_failure(kind, name, error.code, error.system_error);
  remove_work_copy(work_copy);
}

// How an attached file goes, and what its content was found to be when that
// decided it; nothing when its copy cannot be read.
struct AttachmentLook {
  mime::PartForm form;
  mime::ContentVerdict content;
};
std::optional<AttachmentLook> look_at_attachment(std::string_view name, std::string_view copy) {
  const std::string type = mime::attachment_type(name);
  mime::ContentScan scan(kBoundaries);
  if (mime::content_decides_form(type) && !scan_file(copy, scan)) return std::nullopt;
  const mime::ContentVerdict content = scan.verdict();
  return AttachmentLook{mime::attachment_form(type, content), content};
}

// Copies `input`, which the look found to be `looked`, into the message file
// as it stands, each LF without a CR before it written CR LF. It is read
// through INED as the encoder reads, and judged again on the way: a file
// that is no longer what the look found changed in between (kInputChanged),
// and what was written of it is no part a reader could trust.
uint8_t copy_unencoded(std::string_view input, const mime::ContentVerdict& looked) {
  ProgramData& data = program_data();
  svc::ErrorState& errors = svc::error_state();
  set_name(data.input_name, input);
  errors.clear();
  drv::OPEN(&data.input_file, kInputOpenMode);
  if (errors.code() != 0) return kInputNotOpened;
  drv::SET(&data.input_file);
  mime::ContentScan scan(kBoundaries);
  char out[kCopyBlock + 1];  // a LF that fills the block may bring its CR
  size_t used = 0;
  unsigned char last = 0;
  while (message_intact()) {
    std::span<const unsigned char> bytes = drv::next_steady_bytes(&data.input_file, kCopyBlock);
    if (bytes.empty()) {
      drv::NEXT(&data.input_file);
      if (errors.code() != 0) break;  // the end of the file, or a read error
      bytes = {data.input_byte, 1};
    }
    scan.put(bytes);
    for (const unsigned char b : bytes) {
      if (b == '\n' && last != '\r') out[used++] = '\r';
      out[used++] = static_cast<char>(last = b);
      if (used >= kCopyBlock) write_bytes({out, std::exchange(used, 0)});
    }
  }
  // A line that could not be written ends the copy too; the composer sees
  // that for itself.
  const bool read_whole = errors.code() == svc::err::record_not_available || !message_intact();
  if (!read_whole) errors.save();  // the read error outlives the steps below
  write_bytes({out, used});
  drv::CLOSE(&data.input_file);
  if (!read_whole) {
    errors.restore();
    return kInputNotRead;
  }
  return !message_intact() || scan.verdict() == looked ? kEncoded : kInputChanged;
}

}  // namespace

uint8_t EncodeFileBase64(uint8_t append, std::string_view input, std::string_view output) {
  ProgramData& data = program_data();
  svc::ErrorState& errors = svc::error_state();
  show_wait_cursor();
  set_name(data.input_name, input);
  set_name(data.message_name, output);
  errors.clear();
  drv::OPEN(&data.input_file, kInputOpenMode);
  if (errors.code() != 0) {
    restore_cursor();
    return kInputNotOpened;
  }
  if (append == 0) {
    drv::REMOVE(&data.message_file);
    drv::CREATE(&data.message_file);
    errors.clear();
    drv::OPEN(&data.message_file, kOutputOpenMode);
    if (errors.code() != 0) {
      drv::CLOSE(&data.input_file);
      restore_cursor();
      return kOutputNotOpened;
    }
  }
  drv::SET(&data.input_file);
  mime::Base64Encoder encoder([](std::string_view text) { write_line(text); });
  // The reading ends at the end of the file, at a read error, or after a
  // line that could not be written (no point reading on; the composer sees
  // that for itself).
  while (message_intact()) {
    // The bytes that the file's steady run holds are taken at once.
    const std::span<const unsigned char> bytes = drv::next_steady_bytes(&data.input_file, SIZE_MAX);
    if (!bytes.empty()) {
      encoder.put({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
      continue;
    }
    drv::NEXT(&data.input_file);
    if (errors.code() != 0) break;  // the end of the file, or a read error
    encoder.put({reinterpret_cast<const char*>(data.input_byte), 1});
  }
  const bool read_whole = errors.code() == svc::err::record_not_available || !message_intact();
  if (!read_whole) errors.save();  // the read error outlives the steps below
  encoder.finish();
  clear_line();
  drv::CLOSE(&data.input_file);
  if (append == 0) drv::CLOSE(&data.message_file);
  restore_cursor();
  if (read_whole) return kEncoded;
  errors.restore();
  return kInputNotRead;
}

bool write_attachment_parts() {
  ProgramData& data = program_data();
  ProgramQueue& files = data.file_names;
  svc::ErrorState& errors = svc::error_state();
  const uint32_t count = files.records();
  for (uint32_t i = 1; i <= count; ++i) {
    files.get(i);
    const std::string_view file = clipped(files.field(), files.field_size());
    const std::string_view base = base_name(file);
    rt::assign_string(data.scratch_name, kScratchNameSize, base.data(), static_cast<uint32_t>(base.size()));
    const std::string_view scratch = clipped(data.scratch_name, kScratchNameSize);
    char copy_buffer[kWorkPathSize];
    const std::string_view copy = work_path(scratch, copy_buffer);
    // Copied into the folder under its own name, as a picture is: the copy is
    // then an entry of the work directory itself, never made inside a folder
    // that an entry of the work directory links to.
    copy_into_work_directory(file);
    // Kept to name the real cause when the copy, not the encoder, failed.
    const svc::ErrorFields copy_error = errors.fields();
    const std::string name = utf8_argument(scratch);
    // A copy that failed fails the encoder below, which names the cause.
    const std::optional<AttachmentLook> look =
        copy_error.code == 0 ? look_at_attachment(name, copy) : AttachmentLook{{std::string(mime::kUnknownType)}, {}};
    if (!look) {
      svc::ErrorFields look_error{};
      look_error.code = svc::err::file_system_error;
      look_error.system_error = plat::GetLastError();
      give_up_part(FailedFile::attachment, file, look_error, copy);
      return false;
    }
    const mime::PartForm& form = look->form;
    write_line(kMixed.delimiter);
    write_part_headers(
        {form.type, name, {}, Disposition::attachment, mime::transfer_encoding_name(form.encoding)});
    const std::string_view message_name = clipped(data.message_name, kFileNameSize);
    const uint8_t result = form.encoding == mime::TransferEncoding::base64 ? EncodeFileBase64(1, copy, message_name)
                                                                           : copy_unencoded(copy, look->content);
    if (result != kEncoded) {
      svc::ErrorFields error = copy_error.code != 0 ? copy_error : errors.fields();
      if (result == kInputChanged) {
        error = {};
        error.code = svc::err::file_system_error;
        error.system_error = plat::ERROR_FILE_INVALID;
      }
      give_up_part(FailedFile::attachment, file, error, copy);
      return false;
    }
    write_empty_line();
    remove_work_copy(copy);
    if (!message_intact()) return false;
  }
  return true;
}

bool write_image_parts(const EmbeddedPictures& pictures) {
  ProgramData& data = program_data();
  svc::ErrorState& errors = svc::error_state();
  int32_t image_number = 0;
  for (const std::string& name : pictures.files) {
    rt::assign_string(data.scratch_name, kScratchNameSize, name.data(), static_cast<uint32_t>(name.size()));
    const std::string_view scratch = clipped(data.scratch_name, kScratchNameSize);
    char copy_buffer[kWorkPathSize];
    const std::string_view copy = work_path(base_name(scratch, true), copy_buffer);
    // The HTML names this picture already: one that can no longer be had
    // fails the run rather than leave a dead reference.
    if (!copy_into_work_directory(scratch)) {
      run_outcome().note_failure(FailedFile::image, scratch, errors.code(), errors.system_error());
      return false;
    }
    char number[rt::kNumberTextCapacity];
    const std::string_view n = decimal_text(++image_number, number);
    const std::string file_name = utf8_argument(base_name(scratch, true));
    FileHead head;
    write_line(kRelated.delimiter);
    write_part_headers({mime::picture_type(read_file_head(copy, head), file_name), file_name, n,
                        Disposition::inline_part});
    // The bytes come from the file the reference names, not from the copy.
    if (EncodeFileBase64(1, scratch, clipped(data.message_name, kFileNameSize)) != kEncoded) {
      give_up_part(FailedFile::image, scratch, errors.fields(), copy);
      return false;
    }
    write_empty_line();
    remove_work_copy(copy);
    if (!message_intact()) return false;
  }
  return true;
}

bool write_sound_part(std::string_view sound_file) {
  const std::string_view file = clipped(sound_file);
  const std::string name = utf8_argument(base_name(file));
  FileHead head;
  write_line(kRelated.delimiter);
  write_part_headers({mime::sound_type(read_file_head(file, head), name), name, "sf", Disposition::none});
  // A sound file that is not there leaves its part without data lines; one
  // that the system fails to read fails the run.
  const svc::ErrorState& errors = svc::error_state();
  const uint8_t result = EncodeFileBase64(1, file, clipped(program_data().message_name, kFileNameSize));
  if (result == kEncoded || (result == kInputNotOpened && is_unreadable_input(errors.code(), errors.system_error()))) {
    write_empty_line();
    return message_intact();
  }
  run_outcome().note_failure(FailedFile::sound, file, errors.code(), errors.system_error());
  return false;
}

}  // namespace app
