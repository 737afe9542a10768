#pragma once

#include <QStringList>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "store/ClientRecord.h"

namespace korvale::robust {

// What a book holds, read on a connection of its own that leaves the write-ahead log in place, so that
// the next program to open the book still has to recover it.
struct BookContents {
    // Each message of PRAGMA integrity_check; exactly {"ok"} for a sound book.
    std::vector<std::string> integrity;
    // Rows in stored order; a NULL reads as "<null>".
    std::vector<ClientRecord> rows;
};

BookContents readBook(const std::filesystem::path& book);

// One text per row, columns joined by '|', for comparisons that show what differs.
QStringList describe(const std::vector<ClientRecord>& rows);

}  // namespace korvale::robust
