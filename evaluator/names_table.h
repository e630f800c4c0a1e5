// The evaluator's names: one table per scope, each a binary search tree of
// upper-cased names ordered by the case-insensitive collating comparison.
// Every table holds the built-in functions and word operators; the program
// adds its procedures and variables with BIND. Scopes nest: PUSHSCOPE saves
// the current table and starts an empty one, POPSCOPE frees it and brings the
// saved one back. A scope opened with its hide flag ends every search that
// reaches it, so names bound outside it are not seen from inside.
#pragma once

#include <cstddef>
#include <cstdint>

namespace eval {

// Result class of a name or tree node.
enum class value_class : std::uint8_t { none = 0, integer = 1, real = 2, string = 4, picture = 8 };

enum class entry_kind : std::uint8_t { word_operator, function, variable };

// A procedure bound by the program. It finds its arguments on the string
// stack, the first on top, each a string, pops them all, and returns an
// integer.
using bound_procedure = std::int32_t (*)();

// A program variable made visible to expressions: its storage, its data-type
// code (the runtime's type codes) and, for the string types, its declared size.
struct variable_ref {
  void* address = nullptr;
  std::int32_t type_code = 0;
  std::uint32_t size = 0;
};

// The longest name: BIND and the lexer read names into buffers of 100 bytes
// with their terminator.
inline constexpr std::size_t max_name_length = 99;

struct name_entry {
  name_entry* left;
  name_entry* right;
  char* name;  // heap copy, upper case, NUL-terminated
  entry_kind kind;
  value_class result;
  // Built-in function code (0 for a bound procedure) or word operator code.
  std::uint8_t code;
  std::uint32_t max_args;
  bound_procedure procedure;
  variable_ref* variable;  // heap copy, owned by the entry
};

class name_scopes {
 public:
  name_scopes() = default;
  name_scopes(const name_scopes&) = delete;
  name_scopes& operator=(const name_scopes&) = delete;

  // Enters a procedure under `name` in the current table (replacing what the
  // name held there). Type code 6 gives an integer result, 9 a real one, any
  // other a string. False when the name is empty or too long, or no memory.
  bool bind_procedure(const char* name, std::size_t length, bound_procedure procedure,
                      std::uint32_t argument_count, std::int32_t return_type);
  // Enters a variable; the name is first cut after its run of name
  // characters, keeping one trailing '#', '$' or '"'. False as above, or when
  // the type code is not one an expression can read.
  bool bind_variable(const char* name, std::size_t length, const variable_ref& variable);

  void push_scope(bool keep_outer_names);
  // False, changing nothing, when no scope is open.
  bool pop_scope();

  // Searches the current table, then the saved ones from the innermost
  // outwards, stopping at a hiding scope. Null when the name is not bound.
  const name_entry* find(const char* name, std::size_t length) const;

  // Fills the current table with the built-ins when it is empty; compiling
  // an expression and binding a name both do this first.
  void ensure_builtins();

  const name_entry* current_table() const { return current_; }
  std::size_t open_scopes() const;

  // Frees every table and scope. Used between tests.
  void reset();

 private:
  struct scope_record;
  name_entry* enter(const char* upper_name, std::size_t length);
  static void free_table(name_entry* root);

  name_entry* current_ = nullptr;
  scope_record* scopes_ = nullptr;
  std::size_t unrecorded_scopes_ = 0;  // opened when no memory was left for a record
};

// The process-wide names.
name_scopes& names();

// The value class that a variable of a data-type code reads as; none for a
// type code an expression cannot read.
value_class class_of_type(std::int32_t type_code);

// The length of the leading run of name characters (letters and digits by the
// locale's class table, '_' and ':') plus one trailing '#', '$' or '"'.
std::size_t name_extent(const char* text, std::size_t length);

}  // namespace eval
