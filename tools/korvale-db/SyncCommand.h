#pragma once

#include "tools/korvale-db/CommandLine.h"

namespace korvale::tool {

// sync DIR URL [--user NAME]: brings the book and a CardDAV address book into step, both ways.
int syncBook(const CommandLine& line);

}  // namespace korvale::tool
