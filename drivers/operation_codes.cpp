#include "drivers/operation_codes.h"

#include <array>

namespace drv {
namespace {

// ORDER: enum Op.
constexpr std::array<const char*, kLastOperation + 1> kOperationNames = {
    "(0)",           "ADD",          "BOF",           "BUILDfile",      "APPEND",
    "BUILDdyn",      "BUILDkey",     "CLOSE",         "COMMIT",         "COPY",
    "CREATE",        "DELETE",       "DUPLICATE",     "EMPTY",          "EOF",
    "GETfilekey",    "GETfileptr",   "GETkeyptr",     "HOLDfile",       "HOLDfilesec",
    "LOCKfile",      "LOCKfilesec",  "LOGOUT",        "NAME",           "NEXT",
    "OPEN",          "PACK",         "POINTERfile",   "POINTERkey",     "FLUSH",
    "PUT",           "PREVIOUS",     "RECORDSfile",   "RECORDSkey",     "BUILDdynfilter",
    "(35)",          "RELEASE",      "REMOVE",        "RENAME",         "(39)",
    "ROLLBACK",      "SETfile",      "SETfilekey",    "SETfileptr",     "SETkey",
    "SETkeykey",     "SETkeyptr",    "SETkeykeyptr",  "SHARE",          "SKIP",
    "UNLOCK",        "ADDfilelen",   "BYTES",         "GETfileptrlen",  "PUTfileptr",
    "PUTfileptrlen", "STREAM",       "DUPLICATEkey",  "WATCH",          "APPENDlen",
    "SEND",          "POSITIONfile", "POSITIONkey",   "RESETfile",      "RESETkey",
    "NOMEMO",        "REGETfile",    "REGETkey",      "NULL",           "SETNULL",
    "SETNONULL",     "SET_PROPERTY", "GET_PROPERTY",  "QUERY_KEY",      "QUERY_VIEW",
    "BLOB_YIELD",    "BLOB_TAKE",    "BLOB_SIZE",     "BLOB_GET_PROP",  "BLOB_SET_PROP",
    "BUFFER",        "SETview",      "CLEAR",         "RESETviewfile",  "BUILDevent",
    "SETPROPERTYkey", "GETPROPERTYkey", "Internal",   "DO_PROPERTY",    "DOPROPERTYkey",
    "DOPROPERTYblob", "Internal",    "INVIEW",        "ENDVIEW",        "Internal",
    "COUNTRECORDS",
};
static_assert(kOperationNames.size() == 96);

constexpr std::array<uint8_t, kLastOperation + 1> make_classes() {
  std::array<uint8_t, kLastOperation + 1> c{};
  for (int op : {OP_SEND, OP_BLOB_GET_PROP, OP_DOPROPERTYblob, OP_SETPROPERTYkey, OP_DOPROPERTYkey,
                 OP_SET_PROPERTY, OP_DO_PROPERTY, OP_COPY, OP_RENAME, OP_NAME, OP_REMOVE,
                 OP_CREATE, OP_OPEN, OP_SHARE, OP_CLOSE})
    c[op] |= kStaleCheck;
  for (int op : {OP_SEND, OP_BLOB_GET_PROP, OP_DOPROPERTYblob, OP_SETPROPERTYkey, OP_DOPROPERTYkey,
                 OP_SET_PROPERTY, OP_DO_PROPERTY, OP_COPY, OP_RENAME, OP_BUILDdyn,
                 OP_BUILDdynfilter, OP_REGETfile, OP_REGETkey, OP_RESETfile, OP_RESETkey,
                 OP_BLOB_SET_PROP, OP_GETPROPERTYkey, OP_GET_PROPERTY})
    c[op] |= kOneString;
  for (int op : {OP_BUILDdynfilter, OP_SET_PROPERTY, OP_BLOB_GET_PROP, OP_SETPROPERTYkey})
    c[op] |= kTwoStrings;
  for (int op : {OP_NAME, OP_POSITIONfile, OP_POSITIONkey, OP_SEND, OP_GET_PROPERTY,
                 OP_GETPROPERTYkey, OP_BLOB_SET_PROP})
    c[op] |= kStringValued;
  for (int op : {OP_ADD, OP_ADDfilelen, OP_APPEND, OP_APPENDlen, OP_DELETE, OP_GETfilekey,
                 OP_GETfileptrlen, OP_GETfileptr, OP_GETkeyptr, OP_NEXT, OP_PREVIOUS, OP_PUT,
                 OP_PUTfileptr, OP_PUTfileptrlen, OP_REGETfile, OP_REGETkey})
    c[op] |= kTransfer;
  for (int op : {OP_BUILDkey, OP_GETfilekey, OP_GETkeyptr, OP_POINTERkey, OP_RECORDSkey,
                 OP_SETfilekey, OP_SETkey, OP_SETkeykey, OP_SETkeyptr, OP_SETkeykeyptr,
                 OP_DUPLICATEkey, OP_POSITIONkey, OP_RESETkey, OP_REGETkey, OP_QUERY_KEY,
                 OP_SETPROPERTYkey, OP_GETPROPERTYkey, OP_DOPROPERTYkey})
    c[op] |= kKeyArgument;
  for (int op : {OP_REGETfile, OP_REGETkey, OP_RESETfile, OP_RESETkey}) c[op] |= kPositionText;
  for (int op : {OP_SEND, OP_COPY, OP_RENAME, OP_SET_PROPERTY}) c[op] |= kEmptyArgumentDone;
  return c;
}
}  // namespace

const std::array<uint8_t, kLastOperation + 1> kOperationClasses = make_classes();

const char* operation_name(int32_t code) {
  if (code < 0 || code > kLastOperation) return "(?)";
  return kOperationNames[code];
}

}  // namespace drv
