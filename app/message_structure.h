// The boundaries of the program's drafts. The parts nest as
// mime::draft_structure decides:
//
//   multipart/mixed                  when files are attached
//     multipart/alternative          the body
//       text/plain                   the HTML's text
//       multipart/related            when pictures or a sound are embedded
//         text/html
//         image/..., audio/...       referenced by cid:
//       (or text/html alone)
//     application/..., ...           the attached files
#pragma once

#include <string_view>

namespace app {

inline constexpr std::string_view kMixedBoundary = "----=_1_";
inline constexpr std::string_view kAlternativeBoundary = "----=_2_";
inline constexpr std::string_view kRelatedBoundary = "----=_3_";

// The boundaries are fixed, so a line written as it stands (a body line of
// the call text, a message attached unencoded) must not open with the
// delimiter of any of them. Text in quoted-printable or base64 never does:
// neither writes "=_" as such.
inline constexpr std::string_view kBoundaries[] = {kMixedBoundary, kAlternativeBoundary, kRelatedBoundary};

}  // namespace app
