#pragma once

#include "tools/korvale-db/CommandLine.h"

namespace korvale::tool {

// init DIR: writes a new, empty book with its history.
int initBook(const CommandLine& line);
// upgrade DIR: adds the history and the sync state to a book made before them, in one transaction.
int upgradeBook(const CommandLine& line);

}  // namespace korvale::tool
