#pragma once

#include "tools/korvale-db/CommandLine.h"

namespace korvale::tool {

// export DIR [--format vcard|vcard3|csv] [-o FILE]: every row, in stored order, to standard output or
// FILE.
int exportContacts(const CommandLine& line);

}  // namespace korvale::tool
