#include "app/attachment_parts.h"

#include <cstdint>
#include <optional>
#include <span>
#include <utility>

#include "app/argument_text.h"
#include "app/composer.h"
#include "app/file_head.h"
#include "app/html_body.h"
#include "app/message_output.h"
#include "app/message_structure.h"
#include "app/program_data.h"
#include "app/run_outcome.h"
#include "app/work_copies.h"
#include "drivers/record_statements.h"
#include "mime/base64.h"
#include "mime/content_scan.h"
#include "mime/media_types.h"
#include "mime/message_writer.h"
#include "platform/file.h"
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

void set_name(char (&variable)[kFileNameSize], std::string_view name) {
  name = clipped(name);
  if (name.data() == variable) return;  // already the name (the composer's own message file)
  rt::assign_string(variable, kFileNameSize, name.data(), static_cast<uint32_t>(name.size()));
}

void clear_line() { rt::fill_spaces(reinterpret_cast<char*>(program_data().message_line), kMessageLineSize); }

// Opens `input` as INED; kEncoded, or kInputNotOpened with the error state
// telling why.
uint8_t open_input(std::string_view input) {
  ProgramData& data = program_data();
  set_name(data.input_name, input);
  svc::error_state().clear();
  drv::OPEN(&data.input_file, kInputOpenMode);
  return svc::error_state().code() == 0 ? kEncoded : kInputNotOpened;
}

// Reads the open INED from its start to its end, handing the bytes to `put`
// as they come, and closes it. The reading also ends at a read error
// (kInputNotRead, the error kept in the error state) or after a line of the
// message that could not be written (no point reading on; the composer sees
// that for itself).
uint8_t read_open_input(const mime::ByteSink& put) {
  ProgramData& data = program_data();
  svc::ErrorState& errors = svc::error_state();
  drv::SET(&data.input_file);
  while (message_intact()) {
    // The bytes that the file's steady run holds are taken at once.
    const std::span<const unsigned char> bytes = drv::next_steady_bytes(&data.input_file, SIZE_MAX);
    if (!bytes.empty()) {
      put({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
      continue;
    }
    drv::NEXT(&data.input_file);
    if (errors.code() != 0) break;  // the end of the file, or a read error
    put({reinterpret_cast<const char*>(data.input_byte), 1});
  }
  const bool read_whole = errors.code() == svc::err::record_not_available || !message_intact();
  if (!read_whole) errors.save();  // the read error outlives the close
  drv::CLOSE(&data.input_file);
  if (read_whole) return kEncoded;
  errors.restore();
  return kInputNotRead;
}

// The bytes of `input`, read through INED while the wait cursor shows.
uint8_t read_input(std::string_view input, const mime::ByteSink& put) {
  show_wait_cursor();
  uint8_t result = open_input(input);
  if (result == kEncoded) result = read_open_input(put);
  restore_cursor();
  return result;
}

// A part cannot be completed: the work copy goes, and the first failure of
// the run is noted for the caller.
void give_up_part(FailedFile kind, std::string_view name, const svc::ErrorFields& error,
                  std::string_view work_copy) {
  run_outcome().note_failure(kind, name, error.code, error.system_error);
  remove_work_copy(work_copy);
}

svc::ErrorFields system_failure(uint32_t system_error) {
  svc::ErrorFields error{};
  error.code = svc::err::file_system_error;
  error.system_error = system_error;
  return error;
}

// How an attached file goes, decided before its part is written: by its
// name, or by what a copy of it held. Its copy failed when the copy that
// was to be looked at could not be made.
struct AttachmentLook {
  mime::PartForm form;
  std::optional<mime::ContentVerdict> content;
  std::optional<svc::ErrorFields> copy_failure;
};

// An attached file is copied into the work directory when its part is
// written, read from the copy and the copy removed again. A copy that
// failed is still opened, as any copy is, and the copy's failure named. A
// file carried as it stands must still be what its look found: one that is
// not changed in between, and what was written of it is no part a reader
// could trust.
mime::ByteStream attachment_stream(std::string file, AttachmentLook look) {
  return [file = std::move(file), look = std::move(look)](const mime::ByteSink& put) {
    char copy_buffer[kWorkPathSize];
    const std::string_view copy = work_path(base_name(file), copy_buffer);
    // Copied into the folder under its own name, as a picture is: the copy
    // is then an entry of the work directory itself, never made inside a
    // folder that an entry of the work directory links to.
    std::optional<svc::ErrorFields> copy_failure = look.copy_failure;
    if (!copy_failure && !copy_into_work_directory(file)) copy_failure = svc::error_state().fields();
    mime::ContentScan scan(kBoundaries);
    const uint8_t result = read_input(copy, [&](std::string_view bytes) {
      if (look.content) scan.put({reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()});
      put(bytes);
    });
    if (copy_failure || result != kEncoded) {
      give_up_part(FailedFile::attachment, file, copy_failure ? *copy_failure : svc::error_state().fields(), copy);
      return false;
    }
    if (look.content && message_intact() && !(scan.verdict() == *look.content)) {
      give_up_part(FailedFile::attachment, file, system_failure(plat::ERROR_FILE_INVALID), copy);
      return false;
    }
    remove_work_copy(copy);
    return !run_outcome().any_failure();
  };
}

// The look of an attached file: where its name leaves its form open, a
// copy in the work directory is scanned (and removed again). A file whose
// copy cannot be made goes as unknown bytes and fails its part. Nothing,
// with the failure noted, when the copy cannot be read.
std::optional<AttachmentLook> look_at_attachment(std::string_view file, const std::string& name) {
  const std::string type = mime::attachment_type(name);
  if (!mime::content_decides_form(type)) return AttachmentLook{mime::attachment_form(type, {}), {}, {}};
  char copy_buffer[kWorkPathSize];
  const std::string_view copy = work_path(base_name(file), copy_buffer);
  if (!copy_into_work_directory(file))
    return AttachmentLook{{std::string(mime::kUnknownType)}, {}, svc::error_state().fields()};
  mime::ContentScan scan(kBoundaries);
  if (!scan_file(copy, scan)) {
    give_up_part(FailedFile::attachment, file, system_failure(plat::GetLastError()), copy);
    return std::nullopt;
  }
  remove_work_copy(copy);
  return AttachmentLook{mime::attachment_form(type, scan.verdict()), scan.verdict(), {}};
}

// The bytes of `file` itself; one that cannot be read fails the run.
mime::ByteStream input_stream(FailedFile kind, std::string file) {
  return [kind, file = std::move(file)](const mime::ByteSink& put) {
    if (read_input(file, put) == kEncoded) return true;
    const svc::ErrorState& errors = svc::error_state();
    run_outcome().note_failure(kind, file, errors.code(), errors.system_error());
    return false;
  };
}

// The size of a regular file, 0 for anything else or a file that cannot be
// read: only a regular file is opened, as an open of a FIFO would disturb
// its writer.
uint64_t file_size(const std::string& path) {
  plat::name_entry entry;
  if (!plat::GetNameEntry(path.c_str(), &entry) || entry.kind != plat::entry_kind::file) {
    plat::SetLastError(0);
    return 0;
  }
  const plat::HANDLE file =
      plat::CreateFileA(path.c_str(), plat::GENERIC_READ, plat::FILE_SHARE_READ | plat::FILE_SHARE_WRITE, nullptr,
                        plat::OPEN_EXISTING, plat::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == plat::INVALID_HANDLE_VALUE) {
    plat::SetLastError(0);
    return 0;
  }
  plat::DWORD high = 0;
  const plat::DWORD low = plat::GetFileSize(file, &high);
  plat::CloseHandle(file);
  plat::SetLastError(0);
  return low == plat::INVALID_FILE_SIZE && high == 0 ? 0 : uint64_t{high} << 32 | low;
}

// A part that carries `file`. As the checks see it (`files` named) it has
// the file's size and no body; as it is written, `stream` (or, without one,
// no lines at all).
mime::Part file_part(CallFiles files, mime::PartRole role, std::string_view type, std::string file_name,
                     std::string file, mime::ByteStream stream) {
  mime::Part part;
  part.role = role;
  part.type = type;
  part.file_name = std::move(file_name);
  part.body.file = std::move(file);
  if (files == CallFiles::named) {
    part.body.size = file_size(part.body.file);
    return part;
  }
  if (stream) part.body.kind = mime::BodySource::Kind::stream;
  part.body.stream = std::move(stream);
  return part;
}

}  // namespace

uint8_t EncodeFileBase64(uint8_t append, std::string_view input, std::string_view output) {
  ProgramData& data = program_data();
  svc::ErrorState& errors = svc::error_state();
  show_wait_cursor();
  set_name(data.message_name, output);
  if (open_input(input) != kEncoded) {
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
  mime::Base64Encoder encoder([](std::string_view text) { write_line(text); });
  const uint8_t result = read_open_input([&encoder](std::string_view bytes) { encoder.put(bytes); });
  if (result != kEncoded) errors.save();
  encoder.finish();
  clear_line();
  if (append == 0) drv::CLOSE(&data.message_file);
  if (result != kEncoded) errors.restore();
  restore_cursor();
  return result;
}

bool attachment_parts(CallFiles files, std::vector<mime::Part>& parts) {
  ProgramQueue& names = program_data().file_names;
  const uint32_t count = names.records();
  for (uint32_t i = 1; i <= count; ++i) {
    names.get(i);
    const std::string file(clipped(names.field(), names.field_size()));
    std::string name = utf8_argument(base_name(file));
    // Counted in base64 by the checks, whatever the look finds later.
    const std::optional<AttachmentLook> look =
        files == CallFiles::named ? AttachmentLook{{mime::attachment_type(name)}, {}, {}} : look_at_attachment(file, name);
    if (!look) return false;
    mime::Part part = file_part(files, mime::PartRole::attachment, look->form.type, std::move(name), file,
                                attachment_stream(file, *look));
    part.disposition = mime::Disposition::attachment;
    part.encoding = look->form.encoding;
    parts.push_back(std::move(part));
  }
  return true;
}

std::vector<mime::Part> embedded_parts(CallFiles files, const EmbeddedPictures& pictures,
                                       std::string_view sound_file) {
  std::vector<mime::Part> parts;
  for (size_t i = 0; i < pictures.files.size(); ++i) {
    const std::string& file = pictures.files[i];
    // The bytes come from the file the reference names, not from its copy.
    mime::Part part = file_part(files, mime::PartRole::picture, pictures.types[i],
                                utf8_argument(base_name(file, true)), file, input_stream(FailedFile::image, file));
    part.disposition = mime::Disposition::inline_part;
    part.content_id = std::to_string(i + 1);
    parts.push_back(std::move(part));
  }
  if (is_blank(sound_file)) return parts;
  const std::string file(clipped(sound_file));
  std::string name = utf8_argument(base_name(file));
  if (files == CallFiles::named) {
    parts.push_back(file_part(files, mime::PartRole::sound, mime::sound_type({}, name), std::move(name), file, {}));
    parts.back().content_id = "sf";
    return parts;
  }
  mime::FileLook look;
  const bool there = mime::look_at_file(file, kFileHeadSize, look);
  plat::SetLastError(0);
  const std::string_view type = mime::sound_type(
      {reinterpret_cast<const unsigned char*>(look.head.data()), look.head.size()}, name);
  // A sound file that is not there leaves its part without data lines (the
  // encoder's open fails as it would); one that the system fails to read
  // fails the run.
  const bool missing = !there && is_unreadable_input(0, look.system_error);
  if (missing) read_input(file, [](std::string_view) {});
  mime::Part part = file_part(files, mime::PartRole::sound, type, std::move(name), file,
                              missing ? mime::ByteStream() : input_stream(FailedFile::sound, file));
  part.content_id = "sf";
  parts.push_back(std::move(part));
  return parts;
}

}  // namespace app
