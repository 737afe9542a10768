#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "store/RecordSource.h"
#include "store/Recordset.h"

namespace korvale {

class BookConnection;

// One opened book. Move-only; the record sets it opens share its connection and stay valid after it
// has been moved or destroyed.
class Database {
public:
    Database(Database&&) noexcept;
    Database& operator=(Database&&) noexcept;
    ~Database();

    // An updatable cursor over CLIENT_RECORDS or over the rows of one name, standing on its first row
    // (past its end when it has none). Fails when the table or one of its columns is missing.
    Recordset OpenRecordset(const RecordSource& source);

    // What walking the whole table would leave behind, found through the Name index instead of a walk:
    // the Name of the last stored row (nullopt for an empty table). Fails, as reading it during the walk
    // would, when some row's Name holds no value.
    std::optional<std::string> lastStoredName();

    const std::filesystem::path& path() const;

private:
    friend class DbEngine;
    explicit Database(std::shared_ptr<BookConnection> connection);
    std::shared_ptr<BookConnection> connection_;
};

}  // namespace korvale
