#pragma once

#include "tools/korvale-db/CommandLine.h"

namespace korvale::tool {

// history DIR [NAME]: the kept versions, oldest first; with NAME, those that held the name and those of
// the rows that hold it now.
int showHistory(const CommandLine& line);
// restore DIR ID: puts a kept version back. A row that still exists gets its values again, and the
// values it held until then are kept as a version of their own, so a restore can itself be undone; a
// version of a deleted row comes back as a new row.
int restoreVersion(const CommandLine& line);
// forget DIR NAME: removes the name's rows and kept versions for good and rewrites the book, so that
// nothing of them stays in its file or its journal.
int forgetName(const CommandLine& line);

}  // namespace korvale::tool
