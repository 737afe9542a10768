#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "store/RowValues.h"

struct sqlite3_stmt;

namespace korvale {

class BookHandle;

// Every row of CLIENT_RECORDS in stored order, read in place for an export of any size: each step
// hands the row's nine texts and its UID as views into the engine's own buffers, valid until the next
// step. One statement reads one snapshot of the book, whatever is written meanwhile.
class RowWalk {
public:
    explicit RowWalk(BookHandle& book);
    ~RowWalk();
    RowWalk(const RowWalk&) = delete;
    RowWalk& operator=(const RowWalk&) = delete;

    // How many rows the book holds now (for a progress line; the walk may see a newer count).
    std::uint64_t count();

    // Whether the book gives its rows UIDs: a book made before them hands an empty UID for every row
    // until korvale-db upgrade gives them one.
    bool hasUids() const { return hasUids_; }

    // Moves to the next row; false past the last.
    bool next();
    const RowTexts& row() const { return row_; }
    // The UID the contact is known by: the server's for a synced contact, otherwise the book's own.
    std::string_view uid() const { return uid_; }

private:
    BookHandle& book_;
    bool hasUids_ = false;
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement_;
    RowTexts row_{};
    std::string_view uid_;
};

}  // namespace korvale
