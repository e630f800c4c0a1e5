#include "cli/header_options.h"

#include "mime/address_syntax.h"
#include "mime/header_policy.h"

namespace cli {

namespace {

Refusal usage(std::string message) { return {app::kExitUsage, std::move(message)}; }

}  // namespace

std::optional<Refusal> header_field(std::string_view given, app::HeaderField& field) {
  const size_t colon = given.find(':');
  if (colon == std::string_view::npos)
    return usage("--header takes 'Name: value', not '" + std::string(given) + "'");
  const std::string_view name = given.substr(0, colon);
  if (!mime::is_field_name(name))
    return usage("the header name '" + std::string(name) +
                 "' is not a field name (printable ASCII without spaces or ':')");
  if (name.size() > kLongestFieldName)
    return usage("the header name '" + std::string(name) + "' is longer than " +
                 std::to_string(kLongestFieldName) + " bytes");
  if (app::composer_field(name))
    return usage("--header cannot give the '" + std::string(name) + "' header: msgmake writes it itself or from its options");
  field.name = name;
  field.value = mime::trimmed(given.substr(colon + 1));
  return std::nullopt;
}

std::optional<Refusal> check_addresses(std::string_view option, const std::vector<std::string>& lists) {
  for (const std::string& list : lists)
    for (const std::string& address : mime::split_addresses(list))
      if (const std::optional<std::string> fault = mime::address_fault(address))
        return Refusal{kExitDataError, "the address '" + address + "' of " + std::string(option) + " " + *fault};
  return std::nullopt;
}

}  // namespace cli
