#pragma once

#include <array>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "store/ClientRecord.h"
#include "store/StoreError.h"

namespace korvale::testbook {

// A row as the table holds it: nullopt is a NULL, which the application itself never writes.
using Row = std::array<std::optional<std::string>, kColumnCount>;

std::filesystem::path pathOf(const QTemporaryDir& dir);

// Creates DIR/KORVALE.mdb exactly as `korvale-db init DIR` does and returns its path.
std::filesystem::path createBook(const std::filesystem::path& dir);

// Appends rows straight into CLIENT_RECORDS, in order, in one transaction.
void insertRows(const std::filesystem::path& book, const std::vector<Row>& rows);

// Every row of CLIENT_RECORDS in stored (rowid) order, read on a fresh connection.
std::vector<Row> readAllRows(const std::filesystem::path& book);

// Runs one statement on a fresh connection: for shaping books the tool would never make.
void execSql(const std::filesystem::path& book, const char* sql);

// A record whose columns are told apart by the tag ("<tag> address", "<tag>@mail", ...), dob as typed.
ClientRecord sampleRecord(const std::string& name, const std::string& tag);
Row rowOf(const ClientRecord& record);
// Sample rows of the names given, all tagged "r"; the row at nullAt, if there is one, has a NULL Name.
std::vector<Row> rowsNamed(const QStringList& names, qsizetype nullAt = -1);

// Readable forms for QCOMPARE: one text per row, columns joined by '|', NULL shown as "<null>".
QString describe(const Row& row);
QStringList describe(const std::vector<Row>& rows);
QString q(const std::string& text);
inline QString q(const char* text) {
    return QString::fromUtf8(text);
}
inline std::string bytes(const QByteArray& data) {
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

// Shortens the engine's wait for another connection's lock while a test holds one, and puts the
// previous wait back afterwards. Only connections opened while it lives are affected.
class ShortBusyTimeout {
public:
    explicit ShortBusyTimeout(std::chrono::milliseconds wait = std::chrono::milliseconds(100));
    ~ShortBusyTimeout();
    ShortBusyTimeout(const ShortBusyTimeout&) = delete;
    ShortBusyTimeout& operator=(const ShortBusyTimeout&) = delete;

private:
    std::chrono::milliseconds previous_;
};

// The StoreError the action throws, or nullopt when it succeeds.
template <typename Action>
std::optional<StoreError> failureOf(Action&& action) {
    try {
        action();
    } catch (const StoreError& e) {
        return e;
    }
    return std::nullopt;
}

}  // namespace korvale::testbook
