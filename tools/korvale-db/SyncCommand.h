#pragma once

#include "tools/korvale-db/CommandLine.h"

namespace korvale::tool {

// sync [DIR] [URL] [--user NAME] [--save-password]: brings the book and a CardDAV address book into step,
// both ways; without URL, with the server and user the book remembers. --forget-password and
// --forget-account drop the kept password and the book's account instead.
int syncBook(const CommandLine& line);

}  // namespace korvale::tool
