#include "tests/kit/TempBook.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include "store/BookSchema.h"
#include "store/ClientRecord.h"
#include "store/ClientStore.h"
#include "store/Statements.h"

namespace kit {

const QString kNull = QStringLiteral("~");

TempBook::TempBook(Start start) {
    if (start == Start::WithBook) korvale::createBook(file());
    if (start == Start::Old)
        exec(
            "PRAGMA journal_mode = WAL; CREATE TABLE CLIENT_RECORDS (Name TEXT, address TEXT, email_id TEXT, "
            "dob TEXT, H_PHONE TEXT, W_PHONE TEXT, cell_no TEXT, remarks TEXT, CATEGORY TEXT); "
            "CREATE INDEX CLIENT_RECORDS_Name ON CLIENT_RECORDS(Name)");
}

std::filesystem::path TempBook::file() const {
    return korvale::ClientStore::bookPath(dir());
}

void TempBook::add(const QStringList& rows) const {
    SQLite::Database db(file(), SQLite::OPEN_READWRITE);
    SQLite::Transaction transaction(db);
    SQLite::Statement insert(db, korvale::sql::kInsert);
    for (const QString& row : rows) {
        const QStringList columns = row.split(QLatin1Char('|'));
        Q_ASSERT(columns.size() == static_cast<qsizetype>(korvale::kColumnCount));
        for (int i = 0; i < columns.size(); ++i)
            columns[i] == kNull ? insert.bind(i + 1) : insert.bind(i + 1, columns[i].toStdString());
        insert.exec();
        insert.reset();
    }
    transaction.commit();
}

QStringList TempBook::rows() const {
    SQLite::Database db(file(), SQLite::OPEN_READONLY);
    SQLite::Statement select(db, korvale::sql::kAllRows);
    QStringList rows;
    while (select.executeStep()) {
        QStringList columns;
        for (int i = 0; i < static_cast<int>(korvale::kColumnCount); ++i) {
            const SQLite::Column column = select.getColumn(i);
            columns << (column.isNull() ? kNull : QString::fromUtf8(column.getText(), column.getBytes()));
        }
        rows << columns.join(QLatin1Char('|'));
    }
    return rows;
}

void TempBook::exec(const char* sql) const {
    SQLite::Database db(file(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    db.exec(sql);
}

korvale::ClientRecord record(const QString& row) {
    korvale::ClientRecord record;
    for (std::size_t i = 0; const QString& column : row.split('|'))
        record.values.at(i++) = column.toStdString();
    return record;
}

QString rowOf(const korvale::ClientRecord& record) {
    QStringList columns;
    for (const std::string& value : record.values) columns << QString::fromStdString(value);
    return columns.join('|');
}

QString row(const QString& name, const QString& tag) {
    return QStringList{name,      tag + " st", tag + "@m",    QStringLiteral("23-07-1987"), tag + "1",
                       tag + "2", tag + "3",   tag + " note", QStringLiteral("CLIENT")}
        .join(QLatin1Char('|'));
}

}  // namespace kit
