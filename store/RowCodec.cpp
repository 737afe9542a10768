#include "store/RowCodec.h"

#include <SQLiteCpp/Column.h>

namespace korvale::codec {

namespace {

std::optional<std::string> textOf(const SQLite::Column& column) {
    if (column.isNull()) return std::nullopt;
    // Text and then length, in that order, so that a value stored as a number is measured as text.
    const char* text = column.getText();
    return std::string(text, static_cast<std::size_t>(column.getBytes()));
}

}  // namespace

void bindValues(SQLite::Statement& statement, const Values& values) {
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        if (values[i]) {
            statement.bind(static_cast<int>(i) + 1, *values[i]);
        } else {
            statement.bind(static_cast<int>(i) + 1);
        }
    }
}

void bindRecord(SQLite::Statement& statement, const ClientRecord& record) {
    for (std::size_t i = 0; i < kColumnCount; ++i)
        statement.bindNoCopy(static_cast<int>(i) + 1, record.values[i]);
}

Values readValues(SQLite::Statement& statement, int first) {
    Values values;
    for (std::size_t i = 0; i < kColumnCount; ++i)
        values[i] = textOf(statement.getColumn(first + static_cast<int>(i)));
    return values;
}

ClientRecord readRecord(SQLite::Statement& statement, int first) {
    ClientRecord record;
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        record.values[i] = textOf(statement.getColumn(first + static_cast<int>(i))).value_or(std::string());
    }
    return record;
}

}  // namespace korvale::codec
