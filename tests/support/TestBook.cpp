#include "tests/support/TestBook.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include "store/BookSchema.h"
#include "store/ClientStore.h"
#include "store/DbEngine.h"

namespace korvale::testbook {

std::filesystem::path pathOf(const QTemporaryDir& dir) {
    return std::filesystem::path(dir.path().toStdString());
}

std::filesystem::path createBook(const std::filesystem::path& dir) {
    const std::filesystem::path book = ClientStore::bookPath(dir);
    korvale::createBook(book);
    return book;
}

void insertRows(const std::filesystem::path& book, const std::vector<Row>& rows) {
    SQLite::Database db(book, SQLite::OPEN_READWRITE);
    SQLite::Transaction transaction(db);
    SQLite::Statement insert(
        db,
        "INSERT INTO CLIENT_RECORDS (Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, "
        "remarks, CATEGORY) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < kColumnCount; ++i) {
            const int param = static_cast<int>(i) + 1;
            if (row[i]) {
                insert.bind(param, *row[i]);
            } else {
                insert.bind(param);
            }
        }
        insert.exec();
        insert.reset();
    }
    transaction.commit();
}

std::vector<Row> readAllRows(const std::filesystem::path& book) {
    SQLite::Database db(book, SQLite::OPEN_READONLY);
    SQLite::Statement select(
        db,
        "SELECT Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY "
        "FROM CLIENT_RECORDS ORDER BY rowid");
    std::vector<Row> rows;
    while (select.executeStep()) {
        Row row;
        for (std::size_t i = 0; i < kColumnCount; ++i) {
            const SQLite::Column column = select.getColumn(static_cast<int>(i));
            if (!column.isNull()) {
                const char* text = column.getText();
                row[i] = std::string(text, static_cast<std::size_t>(column.getBytes()));
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void execSql(const std::filesystem::path& book, const char* sql) {
    SQLite::Database db(book, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    db.exec(sql);
}

ClientRecord sampleRecord(const std::string& name, const std::string& tag) {
    ClientRecord record;
    record[Column::Name] = name;
    record[Column::address] = tag + " address";
    record[Column::email_id] = tag + "@mail";
    record[Column::dob] = "23-07-1987";
    record[Column::H_PHONE] = tag + " home";
    record[Column::W_PHONE] = tag + " work";
    record[Column::cell_no] = tag + " cell";
    record[Column::remarks] = tag + " remarks";
    record[Column::CATEGORY] = "CLIENT";
    return record;
}

Row rowOf(const ClientRecord& record) {
    Row row;
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        row[i] = record.values[i];
    }
    return row;
}

std::vector<Row> rowsNamed(const QStringList& names, qsizetype nullAt) {
    std::vector<Row> rows;
    for (qsizetype i = 0; i < names.size(); ++i) {
        rows.push_back(rowOf(sampleRecord(names[i].toStdString(), "r")));
        if (i == nullAt) {
            rows.back()[static_cast<std::size_t>(Column::Name)].reset();
        }
    }
    return rows;
}

ShortBusyTimeout::ShortBusyTimeout(std::chrono::milliseconds wait)
    : previous_(DbEngine::instance().busyTimeout()) {
    DbEngine::instance().setBusyTimeout(wait);
}

ShortBusyTimeout::~ShortBusyTimeout() {
    DbEngine::instance().setBusyTimeout(previous_);
}

QString q(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString describe(const Row& row) {
    QStringList columns;
    for (const auto& value : row) {
        columns << (value ? q(*value) : QStringLiteral("<null>"));
    }
    return columns.join(QLatin1Char('|'));
}

QStringList describe(const std::vector<Row>& rows) {
    QStringList out;
    for (const Row& row : rows) {
        out << describe(row);
    }
    return out;
}

}  // namespace korvale::testbook
