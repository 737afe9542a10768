#include "tests/robust/BookContents.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <sqlite3.h>

#include <QStringDecoder>

namespace korvale::robust {

BookContents readBook(const std::filesystem::path& book) {
    SQLite::Database db(book, SQLite::OPEN_READWRITE);
    sqlite3_db_config(db.getHandle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    BookContents contents;
    SQLite::Statement check(db, "PRAGMA integrity_check");
    while (check.executeStep()) contents.integrity.push_back(check.getColumn(0).getString());
    SQLite::Statement select(
        db,
        "SELECT Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY "
        "FROM CLIENT_RECORDS ORDER BY rowid");
    while (select.executeStep()) {
        ClientRecord record;
        for (std::size_t i = 0; i < kColumnCount; ++i) {
            const SQLite::Column column = select.getColumn(static_cast<int>(i));
            if (column.isNull()) {
                record.values[i] = "<null>";
            } else {
                const char* text = column.getText();
                record.values[i].assign(text, static_cast<std::size_t>(column.getBytes()));
            }
        }
        contents.rows.push_back(std::move(record));
    }
    return contents;
}

namespace {

// Exact to the byte: a text that is not UTF-8 is shown byte by byte, so that two different byte
// strings never describe alike.
QString exactText(const std::string& bytes) {
    const QByteArray raw(bytes.data(), static_cast<qsizetype>(bytes.size()));
    // A leading byte-order mark is part of the text, not a hint to be dropped.
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decode(raw);
    if (!decode.hasError()) return text;
    QString out = QStringLiteral("<bytes:");
    for (const char c : raw)
        out += QStringLiteral(" %1").arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0'));
    return out + QLatin1Char('>');
}

}  // namespace

QStringList describe(const std::vector<ClientRecord>& rows) {
    QStringList out;
    for (const auto& row : rows) {
        QStringList columns;
        for (const auto& value : row.values) columns << exactText(value);
        out << columns.join(QLatin1Char('|'));
    }
    return out;
}

}  // namespace korvale::robust
