#include "evaluator/names_table.h"

#include <cstring>

#include "evaluator/builtin_table.h"
#include "evaluator/letter_case.h"
#include "runtime/compare.h"
#include "runtime/string_ops.h"
#include "runtime/string_value.h"
#include "services/heap.h"

namespace eval {

struct name_scopes::scope_record {
  name_entry* saved_table;
  scope_record* previous;
  bool hide;
};

namespace {

int compare_names(const char* a, std::size_t a_length, const char* b, std::size_t b_length) {
  return rt::collate_texts_nocase(a, static_cast<std::uint32_t>(a_length), b,
                                  static_cast<std::uint32_t>(b_length));
}

name_entry* find_in(name_entry* root, const char* name, std::size_t length) {
  while (root != nullptr) {
    int order = compare_names(name, length, root->name, std::strlen(root->name));
    if (order == 0) return root;
    root = order < 0 ? root->left : root->right;
  }
  return nullptr;
}

void release_payload(name_entry& entry) {
  svc::release(entry.variable);
  entry.variable = nullptr;
  entry.procedure = nullptr;
}

// The name as BIND keeps it: clipped of trailing spaces, at most 99 bytes,
// upper-cased. False when nothing or too much is left.
bool prepare_name(const char* name, std::size_t length, char (&out)[max_name_length + 1],
                  std::size_t& out_length) {
  length = rt::clipped_length(name, length);
  if (length == 0 || length > max_name_length) return false;
  for (std::size_t i = 0; i < length; ++i)
    out[i] = static_cast<char>(upper_byte(static_cast<unsigned char>(name[i])));
  out[length] = '\0';
  out_length = length;
  return true;
}

value_class class_of_return_type(std::int32_t type_code) {
  if (type_code == rt::TYPE_LONG) return value_class::integer;
  if (type_code == rt::TYPE_REAL) return value_class::real;
  return value_class::string;
}

bool is_name_byte(unsigned char c) {
  return is_letter(c) || is_digit(c) || c == '_' || c == ':';
}

}  // namespace

std::size_t name_extent(const char* text, std::size_t length) {
  std::size_t n = 0;
  while (n < length && is_name_byte(static_cast<unsigned char>(text[n]))) ++n;
  if (n < length && (text[n] == '#' || text[n] == '$' || text[n] == '"')) ++n;
  return n;
}

value_class class_of_type(std::int32_t type_code) {
  switch (type_code) {
    case rt::TYPE_BYTE:
    case rt::TYPE_SHORT:
    case rt::TYPE_USHORT:
    case rt::TYPE_LONG:
    case rt::TYPE_ULONG:
    case rt::TYPE_DATE:
    case rt::TYPE_TIME:
      return value_class::integer;
    case rt::TYPE_SREAL:
    case rt::TYPE_REAL:
      return value_class::real;
    case rt::TYPE_STRING:
    case rt::TYPE_CSTRING:
    case rt::TYPE_PSTRING:
      return value_class::string;
    default:
      return value_class::none;
  }
}

// Finds `name` in the current table or adds a blank entry for it. Null when
// no memory is left.
name_entry* name_scopes::enter(const char* upper_name, std::size_t length) {
  name_entry** link = &current_;
  while (*link != nullptr) {
    int order = compare_names(upper_name, length, (*link)->name, std::strlen((*link)->name));
    if (order == 0) return *link;
    link = order < 0 ? &(*link)->left : &(*link)->right;
  }
  auto* entry = static_cast<name_entry*>(svc::allocate_zeroed(1, sizeof(name_entry)));
  auto* copy = static_cast<char*>(svc::allocate(static_cast<std::uint32_t>(length + 1)));
  if (entry == nullptr || copy == nullptr) {
    svc::release(entry);
    svc::release(copy);
    return nullptr;
  }
  std::memcpy(copy, upper_name, length + 1);
  entry->name = copy;
  *link = entry;
  return entry;
}

void name_scopes::ensure_builtins() {
  if (current_ != nullptr) return;
  for (const builtin_row& row : builtin_rows()) {
    name_entry* entry = enter(row.name, std::strlen(row.name));
    if (entry == nullptr) return;
    entry->kind = row.kind;
    entry->result = row.result;
    entry->code = row.code;
    entry->max_args = row.max_args;
  }
}

bool name_scopes::bind_procedure(const char* name, std::size_t length, bound_procedure procedure,
                                 std::uint32_t argument_count, std::int32_t return_type) {
  char upper[max_name_length + 1];
  std::size_t upper_length = 0;
  if (procedure == nullptr || !prepare_name(name, length, upper, upper_length)) return false;
  ensure_builtins();
  name_entry* entry = enter(upper, upper_length);
  if (entry == nullptr) return false;
  release_payload(*entry);
  entry->kind = entry_kind::function;
  entry->result = class_of_return_type(return_type);
  entry->code = bound_call;
  entry->max_args = argument_count;
  entry->procedure = procedure;
  return true;
}

bool name_scopes::bind_variable(const char* name, std::size_t length,
                                const variable_ref& variable) {
  value_class result = class_of_type(variable.type_code);
  if (result == value_class::none || variable.address == nullptr) return false;
  char upper[max_name_length + 1];
  std::size_t upper_length = 0;
  if (!prepare_name(name, name_extent(name, length), upper, upper_length)) return false;
  auto* copy = static_cast<variable_ref*>(svc::allocate(sizeof(variable_ref)));
  if (copy == nullptr) return false;
  *copy = variable;
  ensure_builtins();
  name_entry* entry = enter(upper, upper_length);
  if (entry == nullptr) {
    svc::release(copy);
    return false;
  }
  release_payload(*entry);
  entry->kind = entry_kind::variable;
  entry->result = result;
  entry->code = 0;
  entry->max_args = 0;
  entry->variable = copy;
  return true;
}

void name_scopes::push_scope(bool keep_outer_names) {
  auto* record = static_cast<scope_record*>(svc::allocate(sizeof(scope_record)));
  if (record == nullptr) {
    // Counted, so that the matching POPSCOPE closes this scope and not the
    // one around it; its names go to the current table meanwhile.
    ++unrecorded_scopes_;
    return;
  }
  *record = {current_, scopes_, !keep_outer_names};
  scopes_ = record;
  current_ = nullptr;
}

bool name_scopes::pop_scope() {
  if (unrecorded_scopes_ > 0) {
    --unrecorded_scopes_;
    return true;
  }
  if (scopes_ == nullptr) return false;
  scope_record* record = scopes_;
  free_table(current_);
  current_ = record->saved_table;
  scopes_ = record->previous;
  svc::release(record);
  return true;
}

const name_entry* name_scopes::find(const char* name, std::size_t length) const {
  if (const name_entry* entry = find_in(current_, name, length)) return entry;
  for (const scope_record* record = scopes_; record != nullptr && !record->hide;
       record = record->previous) {
    if (const name_entry* entry = find_in(record->saved_table, name, length)) return entry;
  }
  return nullptr;
}

std::size_t name_scopes::open_scopes() const {
  std::size_t n = unrecorded_scopes_;
  for (const scope_record* record = scopes_; record != nullptr; record = record->previous) ++n;
  return n;
}

// Frees a tree without recursion: the tree is unbalanced, so a program that
// binds names in sorted order makes it as deep as it is large.
void name_scopes::free_table(name_entry* root) {
  while (root != nullptr) {
    if (root->left != nullptr) {
      // Rotate the left child up so that the root has no left subtree.
      name_entry* left = root->left;
      root->left = left->right;
      left->right = root;
      root = left;
      continue;
    }
    name_entry* next = root->right;
    release_payload(*root);
    svc::release(root->name);
    svc::release(root);
    root = next;
  }
}

void name_scopes::reset() {
  unrecorded_scopes_ = 0;
  while (pop_scope()) {
  }
  free_table(current_);
  current_ = nullptr;
}

name_scopes& names() {
  static name_scopes the_names;
  return the_names;
}

}  // namespace eval
