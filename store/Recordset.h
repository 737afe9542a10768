#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "store/ClientRecord.h"
#include "store/RecordSource.h"

namespace korvale {

class BookConnection;

// A cursor over CLIENT_RECORDS, never a copy: it keeps only the current row and seeks the next one
// through the table's rowid or the Name index, so its cost does not grow with the book.
// Move-only. Every failure is a StoreError.
class Recordset {
public:
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;
    ~Recordset();

    // True when the position stands past the last row. (EOF itself is a macro of the C library.)
    bool Eof() const;
    void MoveFirst();
    void MoveNext();
    // Leaves the set standing past its end without visiting the rows in between.
    void MoveToEnd();

    // The named column of the current row, any letter case. Fails when there is no current row,
    // when the table has no such column, and when the value is null: a null cannot be turned into text.
    std::string Field(std::string_view column) const;

    void AddNew();
    // Begins changing the current row; fails when there is none.
    void Edit();
    // Sets a column of the row begun by AddNew or Edit.
    void SetField(std::string_view column, std::string value);
    // Stores the row begun by AddNew or Edit. When it returns the change is on disk.
    void Update();
    // Deletes the current row at once; fails when there is none. When it returns the delete is on disk.
    void Delete();

    // Rows reached so far: 0 or 1 right after opening, one more for each row MoveNext reaches.
    std::int64_t RecordCount() const;

private:
    friend class Database;
    struct Cursor;
    explicit Recordset(std::unique_ptr<Cursor> cursor);
    // Opens a cursor on the shared connection and puts it on the source's first row.
    static Recordset open(std::shared_ptr<BookConnection> book, const RecordSource& source);
    Cursor& cursor() const;
    std::unique_ptr<Cursor> cursor_;
};

}  // namespace korvale
