#pragma once

#include <array>
#include <optional>
#include <string>

#include <SQLiteCpp/Statement.h>

#include "store/ClientRecord.h"
#include "store/RowValues.h"

// The nine columns of CLIENT_RECORDS in and out of a statement. Every statement that writes them names
// them as ?1 to ?9 in kColumnNames order, and the rowid, where it needs one, as ?10; every statement
// that reads them lists them in that order from some result column on. Internal to the store.
namespace korvale::codec {

inline constexpr int kRowidParam = static_cast<int>(kColumnCount) + 1;

using Values = RowValues;

void bindValues(SQLite::Statement& statement, const Values& values);
// Binds without copying: `record` must outlive the statement's step.
void bindRecord(SQLite::Statement& statement, const ClientRecord& record);

// The nine result columns from `first` on. Each value keeps an embedded NUL.
Values readValues(SQLite::Statement& statement, int first);
// The same with a NULL read as the empty text, as no card or CSV file tells the two apart.
ClientRecord readRecord(SQLite::Statement& statement, int first);

}  // namespace korvale::codec
