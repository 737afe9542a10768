#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <filesystem>

#include "store/ClientRecord.h"

namespace kit {

// A temporary folder with a fresh book in it, made as `korvale-db init` makes it (Old: as books were made
// before the history, the sync tables and UIDs), and removed with the object. Rows are written and read as
// one line each: the nine columns in table order joined by '|', "~" for a column without a value (NULL),
// which the screens never write.
class TempBook {
public:
    enum class Start { WithBook, Old, Empty };
    explicit TempBook(Start start = Start::WithBook);
    // A fresh book holding these rows.
    explicit TempBook(const QStringList& rows) : TempBook() { add(rows); }

    std::filesystem::path dir() const { return dir_.path().toStdString(); }
    QString path() const { return dir_.path(); }
    std::filesystem::path file() const;

    // Appends the rows in one transaction, first to last.
    void add(const QStringList& rows) const;
    // Every row in stored order, read on a connection of its own.
    QStringList rows() const;
    // One statement on a connection of its own, for books the tool would never make.
    void exec(const char* sql) const;

private:
    QTemporaryDir dir_;
};

// A record of a row's nine columns, and a record's columns joined as a row (no column is NULL in either).
korvale::ClientRecord record(const QString& row);
QString rowOf(const korvale::ClientRecord& record);

// A row whose columns are told apart by the tag: "<name>|<tag> st|<tag>@m|23-07-1987|<tag>1|...".
QString row(const QString& name, const QString& tag);

}  // namespace kit
