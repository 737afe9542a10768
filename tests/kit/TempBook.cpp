#include "tests/kit/TempBook.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include "store/BookSchema.h"
#include "store/ClientRecord.h"
#include "store/ClientStore.h"
#include "store/Statements.h"

namespace kit {

namespace {
const QString kNull = QStringLiteral("~");
}

TempBook::TempBook(Start start) {
    if (start == Start::WithBook) korvale::createBook(file());
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

QString row(const QString& name, const QString& tag) {
    return QStringList{name,      tag + " st", tag + "@m",    QStringLiteral("23-07-1987"), tag + "1",
                       tag + "2", tag + "3",   tag + " note", QStringLiteral("CLIENT")}
        .join(QLatin1Char('|'));
}

}  // namespace kit
