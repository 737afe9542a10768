#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "store/ClientRecord.h"
#include "store/Database.h"
#include "store/RecordSource.h"
#include "store/Recordset.h"
#include "store/StoreError.h"

namespace korvale {

// A record screen's store: the opened book and the screen's current record set. Each screen owns one;
// it is never shared.
class ClientStore {
public:
    // The book's place: the application directory joined with KORVALE.mdb.
    static std::filesystem::path bookPath(const std::filesystem::path& appDir);

    // Engine, OpenDatabase on the book, OpenRecordset on the source; replaces whatever was held before.
    void open(const std::filesystem::path& appDir, const RecordSource& source);
    bool isOpen() const { return database_.has_value(); }

    // The current record set. Fails, as every database step of a screen without a store does, when
    // the store has not been opened.
    Recordset& rows();

    // Replaces the current record set by the rows whose Name equals the text. When opening the new
    // set fails the previous one stays.
    void lookUp(const std::string& name);

    // The load-time walk of the search and deletion screens: returns the Name of the table's last row
    // (nullopt when the table is empty) and leaves the record set past its end. Fails when a row's Name
    // is null.
    std::optional<std::string> walkNames();

    // Begins a new row, writes the nine columns in the table's order, stores it.
    void addRow(const ClientRecord& record);
    // Begins changing the current row, writes the nine columns, stores it.
    void changeCurrentRow(const ClientRecord& record);

private:
    Database& database();
    std::optional<Database> database_;
    std::optional<Recordset> rows_;
    // Why the last open failed, repeated by every later step so the screen keeps reporting the cause.
    std::optional<StoreError> openFailure_;
};

}  // namespace korvale
