#pragma once

#include <string>
#include <string_view>

namespace korvale::exchange {

// Whether a printed text may span lines.
enum class LineBreaks { Escaped, Kept };

// `text` fit for a terminal: its control characters (C0, DEL and C1; line breaks too unless kept) are
// written as \xNN or \u00NN, so that a name read from a file, a book or a server can neither move the
// cursor, nor change colours or the window title, nor pass for another line of a report. Every report
// that shows such text, the import's and korvale-db's history, goes through here.
std::string printable(std::string_view text, LineBreaks breaks = LineBreaks::Escaped);

}  // namespace korvale::exchange
