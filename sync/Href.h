#pragma once

#include <string>
#include <string_view>

namespace korvale::sync {

// The one spelling under which the book keeps and compares a card's href (a URL path), whichever way a
// server or this program percent-encoded it: what a path may hold as it is ("@", ":", "+", letters...)
// is decoded, everything else is encoded with upper-case hex digits. An encoded "/" stays encoded, as it
// is not a separator.
std::string normalHref(std::string_view href);

}  // namespace korvale::sync
