// Driver operation codes: the small integer that every file statement hands
// to its driver, and the name a trace prints for it.
#pragma once

#include <array>
#include <cstdint>

namespace drv {

// The enumerators carry an OP_ prefix because two of the names (EOF, NULL)
// are macros of the C library.
// ORDER: kOperationNames in operation_codes.cpp and kRuleTable in rule_table.h.
enum Op : int32_t {
  OP_NONE = 0,
  OP_ADD = 1,
  OP_BOF = 2,
  OP_BUILDfile = 3,
  OP_APPEND = 4,
  OP_BUILDdyn = 5,
  OP_BUILDkey = 6,
  OP_CLOSE = 7,
  OP_COMMIT = 8,
  OP_COPY = 9,
  OP_CREATE = 10,
  OP_DELETE = 11,
  OP_DUPLICATE = 12,
  OP_EMPTY = 13,
  OP_EOF = 14,
  OP_GETfilekey = 15,
  OP_GETfileptr = 16,
  OP_GETkeyptr = 17,
  OP_HOLDfile = 18,
  OP_HOLDfilesec = 19,
  OP_LOCKfile = 20,
  OP_LOCKfilesec = 21,
  OP_LOGOUT = 22,
  OP_NAME = 23,
  OP_NEXT = 24,
  OP_OPEN = 25,
  OP_PACK = 26,
  OP_POINTERfile = 27,
  OP_POINTERkey = 28,
  OP_FLUSH = 29,
  OP_PUT = 30,
  OP_PREVIOUS = 31,
  OP_RECORDSfile = 32,
  OP_RECORDSkey = 33,
  OP_BUILDdynfilter = 34,
  OP_RELEASE = 36,
  OP_REMOVE = 37,
  OP_RENAME = 38,
  OP_ROLLBACK = 40,
  OP_SETfile = 41,
  OP_SETfilekey = 42,
  OP_SETfileptr = 43,
  OP_SETkey = 44,
  OP_SETkeykey = 45,
  OP_SETkeyptr = 46,
  OP_SETkeykeyptr = 47,
  OP_SHARE = 48,
  OP_SKIP = 49,
  OP_UNLOCK = 50,
  OP_ADDfilelen = 51,
  OP_BYTES = 52,
  OP_GETfileptrlen = 53,
  OP_PUTfileptr = 54,
  OP_PUTfileptrlen = 55,
  OP_STREAM = 56,
  OP_DUPLICATEkey = 57,
  OP_WATCH = 58,
  OP_APPENDlen = 59,
  OP_SEND = 60,
  OP_POSITIONfile = 61,
  OP_POSITIONkey = 62,
  OP_RESETfile = 63,
  OP_RESETkey = 64,
  OP_NOMEMO = 65,
  OP_REGETfile = 66,
  OP_REGETkey = 67,
  OP_NULL = 68,
  OP_SETNULL = 69,
  OP_SETNONULL = 70,
  OP_SET_PROPERTY = 71,
  OP_GET_PROPERTY = 72,
  OP_QUERY_KEY = 73,
  OP_QUERY_VIEW = 74,
  OP_BLOB_YIELD = 75,
  OP_BLOB_TAKE = 76,
  OP_BLOB_SIZE = 77,
  OP_BLOB_GET_PROP = 78,
  OP_BLOB_SET_PROP = 79,
  OP_BUFFER = 80,
  OP_SETview = 81,
  OP_CLEAR = 82,
  OP_RESETviewfile = 83,
  OP_BUILDevent = 84,
  OP_SETPROPERTYkey = 85,
  OP_GETPROPERTYkey = 86,
  OP_INTERNAL_87 = 87,
  OP_DO_PROPERTY = 88,
  OP_DOPROPERTYkey = 89,
  OP_DOPROPERTYblob = 90,
  OP_DRIVER_ENTRY = 91,  // answers the driver's own dispatch function
  OP_INTERNAL_94 = 94,
  OP_INVIEW = 92,
  OP_ENDVIEW = 93,
  OP_COUNTRECORDS = 95,
};

inline constexpr int32_t kLastOperation = OP_COUNTRECORDS;

// The name a trace prints: "ADD", "(0)", "(35)", "Internal", ...; a code
// outside 0..95 gives "(?)".
const char* operation_name(int32_t code);

// Class bits of each operation code, asked on every operation.
enum OperationClass : uint8_t {
  kStaleCheck = 0x01,    // a stale instance is dropped before the operation
  kOneString = 0x02,     // one string argument is popped
  kTwoStrings = 0x04,    // a second string argument is popped
  kStringValued = 0x08,  // the result is pushed on the string stack
  kTransfer = 0x10,      // moves a record: its values are traced
  kKeyArgument = 0x20,   // the first argument is a key
  kPositionText = 0x40,  // the string argument is a record position
  kEmptyArgumentDone = 0x80,  // an empty string argument: nothing to do, success
};

// ORDER: enum Op.
extern const std::array<uint8_t, kLastOperation + 1> kOperationClasses;

// The class bits of a code; 0 outside 0..95.
inline uint8_t operation_class(int32_t code) {
  return code >= 0 && code <= kLastOperation ? kOperationClasses[code] : 0;
}
inline bool takes_stale_check(int32_t code) { return operation_class(code) & kStaleCheck; }
inline int string_argument_count(int32_t code) {
  uint8_t c = operation_class(code);
  return (c & kTwoStrings) ? 2 : (c & kOneString) ? 1 : 0;
}
inline bool is_string_valued(int32_t code) { return operation_class(code) & kStringValued; }
inline bool is_record_transfer(int32_t code) { return operation_class(code) & kTransfer; }
inline bool takes_key(int32_t code) { return operation_class(code) & kKeyArgument; }

}  // namespace drv
