#pragma once

#include <string>
#include <string_view>

#include "sync/SyncEngine.h"

namespace korvale::sync {

// A text from the book or a server made safe for a terminal: control characters (C0, DEL, C1), which
// could move the cursor or retitle the window, are shown as "?".
std::string printable(std::string_view text);

// What one sync did, in sentences, one a line; `dir` is the book's folder, for the commands it names.
std::string syncReportText(const SyncReport& report, const std::string& dir);

}  // namespace korvale::sync
