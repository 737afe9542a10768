#pragma once

#include "tools/korvale-db/CommandLine.h"

namespace korvale::tool {

// import DIR FILE [--dry-run]: adds the contacts of a vCard (2.1, 3.0, 4.0) or CSV file to the book in
// one transaction, and reports what it did.
int importContacts(const CommandLine& line);

}  // namespace korvale::tool
