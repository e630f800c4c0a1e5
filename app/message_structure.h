// How the draft's parts nest, decided before anything is written:
//
//   multipart/mixed                  when files are attached
//     multipart/alternative          the body
//       text/plain                   the HTML's text
//       multipart/related            when pictures or a sound are embedded
//         text/html
//         image/..., audio/...       referenced by cid:
//       (or text/html alone)
//     application/..., ...           the attached files
//
// No container is written that would hold one part only: without attached
// files the alternative is the message's own type, and without embedded
// files the HTML stands in the alternative directly.
#pragma once

#include <string_view>

namespace app {

struct Container {
  std::string_view type;       // "multipart/mixed"
  std::string_view root_type;  // the type parameter of a related container; empty for others
  std::string_view delimiter;  // the line that opens each of its parts
  std::string_view close;      // the line that ends it
  // The delimiter line without the two hyphens that open it.
  constexpr std::string_view boundary() const { return delimiter.substr(2); }
};

inline constexpr Container kMixed = {"multipart/mixed", {}, "------=_1_", "------=_1_--"};
inline constexpr Container kAlternative = {"multipart/alternative", {}, "------=_2_", "------=_2_--"};
inline constexpr Container kRelated = {"multipart/related", "text/html", "------=_3_", "------=_3_--"};

// The boundaries are fixed, so a line written as it stands (a body line of
// the call text, a message attached unencoded) must not open with the
// delimiter of any of them. Text in quoted-printable or base64 never does:
// neither writes "=_" as such.
inline constexpr std::string_view kBoundaries[] = {kMixed.boundary(), kAlternative.boundary(), kRelated.boundary()};

struct MessageShape {
  bool mixed = false;    // files are attached
  bool related = false;  // pictures or a sound are embedded in the HTML

  const Container& top() const { return mixed ? kMixed : kAlternative; }
};

// The Content-Type lines of a container, ending with its boundary.
void write_container_type(const Container& container);

}  // namespace app
