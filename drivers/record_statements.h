// The record statements, compiled into the caller: a program runs one for
// every record it reads or writes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <span>

#include "drivers/dos_driver.h"
#include "drivers/file_declaration.h"
#include "drivers/file_instance.h"
#include "drivers/open_files.h"
#include "services/error_state.h"

namespace drv {

namespace detail {

// A byte of the steady run, taken: the run's next and the record's byte, in
// that order, so that the store of the byte (which may alias anything) does
// not make the run's next be read again.
[[gnu::always_inline]] inline void take_steady_byte(FileInstance& f) {
  const unsigned char* at = f.steady_next;
  f.steady_next = at + 1;
  f.record[0] = *at;
}

// The instance whose steady run serves the file's next one-byte NEXT (see
// FileInstance): the NEXT takes the byte and changes nothing else, as the
// driver would leave it. Null when the NEXT needs the driver's steps: no
// run, another thread's copy, or an error state that the NEXT would clear.
[[gnu::always_inline]] inline FileInstance* steady_instance(FileDeclaration* file) {
  FileInstance* inst = works_on_declared(file) ? file->instance : nullptr;
  if (!inst || inst->steady_next == inst->steady_end || !svc::error_state().is_clear()) [[unlikely]]
    return nullptr;
  return inst;
}

}  // namespace detail

// A file read byte by byte takes each byte of a steady run here, without a
// call: only the byte driver starts runs.
inline FileDeclaration* NEXT(FileDeclaration* file) {
  FileInstance* inst = file->driver == &dos_driver ? detail::steady_instance(file) : nullptr;
  if (inst) [[likely]]
    detail::take_steady_byte(*inst);
  else
    file->driver(OP_NEXT, file, nullptr);
  return file;
}

// Up to `most` NEXTs that the file's steady run serves, made at once: the
// bytes they read, in order. Each is taken as NEXT takes it, so the record
// holds the last. The bytes stay valid until the file's next operation.
// Empty when the next NEXT needs the driver; the caller makes it with NEXT.
inline std::span<const unsigned char> next_steady_bytes(FileDeclaration* file, std::size_t most) {
  FileInstance* inst = file->driver == &dos_driver ? detail::steady_instance(file) : nullptr;
  if (!inst || most == 0) return {};
  const unsigned char* at = inst->steady_next;
  std::size_t n = std::min<std::size_t>(most, inst->steady_end - at);
  inst->steady_next = at + n;
  inst->record[0] = at[n - 1];
  return {at, n};
}

inline FileDeclaration* ADD(FileDeclaration* file) {
  file->driver(OP_ADD, file, nullptr);
  return file;
}

// ADD(file, length): the record's first `length` bytes. A length of 0 cuts
// the file where the record would go.
inline FileDeclaration* ADD(FileDeclaration* file, int32_t length) {
  const DriverArg arg{length};
  file->driver(OP_ADDfilelen, file, &arg);
  return file;
}

}  // namespace drv
