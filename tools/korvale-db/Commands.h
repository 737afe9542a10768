#pragma once

#include <ostream>

#include "tools/korvale-db/CommandLine.h"

// The tool's commands, one function each: it reads its options from the parsed line, calls the store,
// the card library or the sync engine, prints what happened, and returns the exit status.
namespace korvale::tool {

// init DIR: writes a new, empty book with its history.
int initBook(const CommandLine& line);
// upgrade DIR: adds the history and the sync state to a book made before them, in one transaction.
int upgradeBook(const CommandLine& line);
// export DIR [--format vcard|vcard3|csv] [-o FILE]: every row, in stored order, to standard output or FILE.
int exportContacts(const CommandLine& line);
// import DIR FILE [--dry-run]: adds the contacts of a vCard (2.1, 3.0, 4.0) or CSV file to the book in
// one transaction, and reports what it did.
int importContacts(const CommandLine& line);
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
// sync [DIR] [URL] [--user NAME] [--save-password]: brings the book and a CardDAV address book into step,
// both ways; without URL, with the server and user the book remembers. --forget-password and
// --forget-account drop the kept password and the book's account instead.
int syncBook(const CommandLine& line);

void printUsage(std::ostream& out);

}  // namespace korvale::tool
