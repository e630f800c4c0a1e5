// A declared record file as the application hands it to every file
// statement: its driver, its name, its record buffer and attributes. The
// driver keeps its working state in the instance that the declaration points
// to while the file is in use.
#pragma once

#include <cstdint>
#include <string_view>

#include "drivers/operation_codes.h"

namespace drv {

struct FileDeclaration;
struct FileInstance;

// One further argument of a driver operation: a number (open mode, pointer,
// length, seconds) or an address (a key, a 4-byte position).
union DriverArg {
  int32_t number;
  const void* address;
};

// The single entry of a driver: (operation code, file, further arguments) ->
// the value of a function-like statement, 0 otherwise. Failure is left in the
// runtime error state, never returned.
using DriverEntry = int32_t (*)(int32_t op, FileDeclaration* file, const DriverArg* args);

// Lengths of name, driver string and owner texts.
inline constexpr int32_t kNulTerminated = -1;
inline constexpr int32_t kLengthPrefixed = -2;

// Attribute flags of a declaration.
enum DeclaredAttribute : uint8_t {
  kDeclEncrypt = 0x02,
  kDeclCreate = 0x04,
  kDeclReclaim = 0x08,
  kDeclThread = 0x10,
  kDeclOem = 0x20,
  kDeclFurther = 0x40,
};

// Runtime flag: served by an external file server (never in this system).
inline constexpr uint8_t kRuntimeExternalServer = 0x01;

// A declared key: the rules look only at its owner and its built flag; the
// structure dump prints its description.
struct KeyComponent {
  const char* label;
  bool descending;
};

struct KeyDescriptor {
  const char* label;
  const char* external_name;  // null or empty: none
  uint32_t flags;             // bit 0x100: built
  uint8_t attributes;         // kKey* below
  uint8_t component_count;
  const KeyComponent* components;
};

enum KeyAttribute : uint8_t {
  kKeyIsIndex = 0x01,
  kKeyDup = 0x02,
  kKeyOpt = 0x04,
  kKeyNocase = 0x08,
  kKeyPrimary = 0x10,
};

// A declared memo or blob: the trace dumps its contents.
struct MemoDescriptor {
  const char* label;
  const char* external_name;
  uint32_t size;       // bytes of the memo buffer
  bool binary;         // filled with zero bytes rather than spaces
  bool blob;
  const unsigned char* buffer;
};

// Field by field, in the order the compiler lays it out.
struct FileDeclaration {
  DriverEntry driver;
  const char* name;
  int32_t name_length;  // >0 fixed string, -1 NUL-terminated, -2 length-prefixed
  const char* driver_string;
  int32_t driver_string_length;
  const char* owner;
  int32_t owner_length;
  uint8_t attributes;   // DeclaredAttribute bits
  uint8_t key_count;
  uint8_t memo_count;
  uint32_t record_length;
  const unsigned char* record_descriptor;
  KeyDescriptor* keys;  // the built flags change at run time
  const MemoDescriptor* memos;
  unsigned char* record;
  FileInstance* instance;
  uint8_t runtime_flags;
};

// The text of a declared name, driver string or owner with its length rule
// applied; trailing spaces of a fixed string are kept (see trimmed()).
struct DeclaredText {
  const char* text;
  uint32_t length;
};
DeclaredText declared_text(const char* text, int32_t length);
// As declared_text, with the trailing spaces of a fixed string trimmed.
DeclaredText trimmed_text(const char* text, int32_t length);

// File statements: each hands its own operation code to the file's driver
// and returns the declaration.
FileDeclaration* OPEN(FileDeclaration* file, int32_t mode);
FileDeclaration* SHARE(FileDeclaration* file, int32_t mode);
FileDeclaration* CREATE(FileDeclaration* file);
FileDeclaration* CLOSE(FileDeclaration* file);
FileDeclaration* REMOVE(FileDeclaration* file);
FileDeclaration* SET(FileDeclaration* file);
FileDeclaration* COMMIT(FileDeclaration* file);
FileDeclaration* ROLLBACK(FileDeclaration* file);
FileDeclaration* UNLOCK(FileDeclaration* file);
FileDeclaration* BUILDevent(FileDeclaration* file);
FileDeclaration* SET_PROPERTY(FileDeclaration* file);
FileDeclaration* GET_PROPERTY(FileDeclaration* file);
FileDeclaration* COUNTRECORDS(FileDeclaration* file);
// SEND(file, option): the driver's option ("CLIP=OFF"); its answer, the
// option's former value, is dropped.
FileDeclaration* SEND(FileDeclaration* file, std::string_view option);
// The record statements NEXT and ADD are in drivers/record_statements.h.

// Statements on file names, which call no driver: REMOVE(name) pops the name
// from the string stack and deletes the file; COPY(name, new name) pops the
// source name (top) and the new name and copies as the driver operation COPY
// does. Both post their error code on failure.
void REMOVE();
void COPY();

}  // namespace drv
