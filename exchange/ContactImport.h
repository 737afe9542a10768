#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "exchange/ImportReport.h"
#include "store/ImportRows.h"

namespace korvale::exchange {

// Reads the contacts of a file's `text` (vCard of any version when it looks like vCard, else CSV with a
// header of column names) and adds each named one that the book does not already hold with the same
// nine values to `rows`; a dry run only decides whether it would. `progress` hears how many bytes of
// the text were read. Returns what was read, added and skipped. Throws FormatError for a text that
// cannot be read, at its first fault; the caller's transaction then adds nothing.
ImportReport importContacts(std::string_view text, ImportRows& rows, bool dryRun,
                            const std::function<void(std::uint64_t)>& progress);

}  // namespace korvale::exchange
