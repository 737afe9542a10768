#include "store/Database.h"

#include <SQLiteCpp/Statement.h>
#include <sqlite3.h>

#include "store/BookConnection.h"
#include "store/ClientRecord.h"
#include "store/Statements.h"
#include "store/StoreError.h"

namespace korvale {

Database::Database(std::shared_ptr<BookConnection> connection) : connection_(std::move(connection)) {}
Database::Database(Database&&) noexcept = default;
Database& Database::operator=(Database&&) noexcept = default;
Database::~Database() = default;

Recordset Database::OpenRecordset(const RecordSource& source) {
    return Recordset::open(connection_, source);
}

const std::filesystem::path& Database::path() const {
    return connection_->path();
}

std::optional<std::string> Database::lastStoredName() {
    BookConnection& book = *connection_;
    // Two seeks instead of a walk: NULLs sort first in the Name index, and the last stored row is the
    // rightmost leaf of the table's rowid tree, so neither grows with the book.
    std::optional<SQLite::Statement> nullName;
    std::optional<SQLite::Statement> lastName;
    try {
        nullName.emplace(book.db(), sql::kAnyNullName);
        lastName.emplace(book.db(), sql::kLastName);
    } catch (const SQLite::Exception& e) {
        throw book.tableFailure("Cannot read the table CLIENT_RECORDS of the book " + book.path().string(),
                                e);
    }
    try {
        if (nullName->executeStep()) {
            throw StoreError("Column Name of a row of CLIENT_RECORDS in the book " + book.path().string() +
                             " holds no value (null)");
        }
        if (!lastName->executeStep()) {
            return std::nullopt;
        }
        const SQLite::Column name = lastName->getColumn(0);
        return std::string(name.getText(), static_cast<std::size_t>(name.getBytes()));
    } catch (const SQLite::Exception& e) {
        throw book.tableFailure("Cannot read the last stored name of the book " + book.path().string(), e);
    }
}

}  // namespace korvale
