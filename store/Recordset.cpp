#include "store/Recordset.h"

#include <algorithm>
#include <utility>

#include <SQLiteCpp/Statement.h>

#include "store/BookConnection.h"
#include "store/RowCodec.h"
#include "store/Statements.h"
#include "store/StoreError.h"

namespace korvale {

namespace {

using codec::bindValues;
using codec::kRowidParam;
using codec::Values;

// Every statement of the record set (Statements.h) reads the rowid first and then the nine columns.
constexpr int kRowidResult = 0;
constexpr int kFirstValue = 1;
int paramIndex(std::size_t column) {
    return 1 + static_cast<int>(column);
}

constexpr const char* kNoCurrentRecord = "There is no current record";

// A statement left stepping would hold a read transaction (and, in WAL, the snapshot) until the next
// call; every use ends with a reset, whether it returned a row, none, or threw.
class ResetOnExit {
public:
    explicit ResetOnExit(SQLite::Statement& statement) : statement_(statement) {}
    ~ResetOnExit() { statement_.tryReset(); }
    ResetOnExit(const ResetOnExit&) = delete;
    ResetOnExit& operator=(const ResetOnExit&) = delete;

private:
    SQLite::Statement& statement_;
};

Column requireColumn(std::string_view name) {
    if (const auto column = columnByName(name)) {
        return *column;
    }
    throw StoreError("The table " + std::string(kTableName) + " has no column " + std::string(name));
}

}  // namespace

struct Recordset::Cursor {
    enum class Position { OnRow, Deleted, PastEnd };
    enum class Pending { None, Adding, Editing };

    Cursor(std::shared_ptr<BookConnection> connection, const RecordSource& source)
        : book(std::move(connection)),
          byName(source.kind() == RecordSource::Kind::ByName),
          name(source.name()),
          first(prepare(byName ? sql::kFirstOfName : sql::kFirstOfTable)) {
        if (byName) first.bind(paramIndex(static_cast<std::size_t>(Column::Name)), name);
    }

    // Prepared on the first MoveNext only: a look-up shows one row and never moves on.
    SQLite::Statement& nextStatement() {
        if (!next) {
            next.emplace(prepare(byName ? sql::kNextOfName : sql::kNextOfTable));
            if (byName) next->bind(paramIndex(static_cast<std::size_t>(Column::Name)), name);
        }
        return *next;
    }

    SQLite::Statement prepare(const char* sql) {
        try {
            return SQLite::Statement(book->db(), sql);
        } catch (const SQLite::Exception& e) {
            throw book->tableFailure(
                "Cannot read the table " + std::string(kTableName) + " of the book " + bookText(), e);
        }
    }

    SQLite::Statement& prepared(std::optional<SQLite::Statement>& slot, const char* sql) {
        if (!slot) {
            slot.emplace(prepare(sql));
        }
        return *slot;
    }

    std::string bookText() const { return book->path().string(); }

    // Steps `statement` once and, when it yields a row, makes that row the current one.
    bool land(SQLite::Statement& statement) {
        try {
            ResetOnExit reset(statement);
            if (!statement.executeStep()) {
                return false;
            }
            const std::int64_t id = statement.getColumn(kRowidResult).getInt64();
            Values row = codec::readValues(statement, kFirstValue);
            rowid = id;
            values = std::move(row);
            return true;
        } catch (const SQLite::Exception& e) {
            throw book->tableFailure(
                "Cannot read the next record of " + std::string(kTableName) + " in the book " + bookText(),
                e);
        }
    }

    void arrive(std::int64_t newOrdinal) {
        position = Position::OnRow;
        ordinal = newOrdinal;
        reached = std::max(reached, ordinal);
    }

    void seekFirst() {
        pending = Pending::None;
        if (land(first)) {
            arrive(1);
        } else {
            position = Position::PastEnd;
            ordinal = 0;
        }
    }

    // In the operator's words: which records there were none of.
    std::string noneFound() const {
        if (byName)
            return std::string(kNoCurrentRecord) + ": the book holds no record named \"" + name + "\"";
        return std::string(kNoCurrentRecord) + ": the book holds no further record";
    }

    void requireRow() const {
        if (position == Position::PastEnd) {
            throw StoreError(noneFound());
        }
        if (position == Position::Deleted) {
            throw StoreError(std::string(kNoCurrentRecord) + ": it has just been deleted");
        }
    }

    std::string vanished(std::int64_t id) const {
        return "row " + std::to_string(id) + " of " + std::string(kTableName) + " in the book " + bookText() +
               " no longer exists: another program deleted it";
    }

    void insertBuffer() {
        book->requireStillThere();
        SQLite::Statement& insert = prepared(inserter, sql::kInsert);
        try {
            ResetOnExit reset(insert);
            bindValues(insert, buffer);
            insert.exec();
        } catch (const SQLite::Exception& e) {
            throw book->tableFailure("Cannot store the new record in the book " + bookText(), e);
        }
        // The cursor stays on the row it was on before the add; the new row is reached by moving on to it.
        pending = Pending::None;
    }

    void changeRow() {
        book->requireStillThere();
        SQLite::Statement& change = prepared(changer, sql::kChange);
        int changed = 0;
        try {
            ResetOnExit reset(change);
            bindValues(change, buffer);
            change.bind(kRowidParam, editedRowid);
            changed = change.exec();
        } catch (const SQLite::Exception& e) {
            throw book->tableFailure("Cannot store the changed record in the book " + bookText(), e);
        }
        pending = Pending::None;
        if (changed != 1) {
            if (position == Position::OnRow && rowid == editedRowid) {
                dropCurrent();
            }
            throw StoreError("Cannot store the changed record: " + vanished(editedRowid));
        }
        if (position == Position::OnRow && rowid == editedRowid) {
            values = buffer;
        }
    }

    // The position stays between its neighbours, so MoveNext goes on to the row after the gone one.
    void dropCurrent() {
        position = Position::Deleted;
        --ordinal;
        --reached;
    }

    std::shared_ptr<BookConnection> book;
    bool byName;
    std::string name;
    SQLite::Statement first;
    std::optional<SQLite::Statement> next;
    std::optional<SQLite::Statement> inserter;
    std::optional<SQLite::Statement> changer;
    std::optional<SQLite::Statement> remover;

    Position position = Position::PastEnd;
    std::int64_t rowid = 0;
    Values values;
    std::int64_t ordinal = 0;
    std::int64_t reached = 0;

    Pending pending = Pending::None;
    Values buffer;
    std::int64_t editedRowid = 0;
};

Recordset::Recordset(std::unique_ptr<Cursor> cursor) : cursor_(std::move(cursor)) {}
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;
Recordset::~Recordset() = default;

Recordset Recordset::open(std::shared_ptr<BookConnection> book, const RecordSource& source) {
    auto cursor = std::make_unique<Cursor>(std::move(book), source);
    cursor->seekFirst();
    return Recordset(std::move(cursor));
}

Recordset::Cursor& Recordset::cursor() const {
    if (!cursor_) {
        throw StoreError("The record set has been moved into another one and holds no rows");
    }
    return *cursor_;
}

bool Recordset::Eof() const {
    return cursor().position == Cursor::Position::PastEnd;
}

void Recordset::MoveFirst() {
    Cursor& c = cursor();
    c.seekFirst();
    if (c.position == Cursor::Position::PastEnd) {
        throw StoreError(c.noneFound());
    }
}

void Recordset::MoveNext() {
    Cursor& c = cursor();
    if (c.position == Cursor::Position::PastEnd) {
        throw StoreError(c.noneFound());
    }
    c.pending = Cursor::Pending::None;
    SQLite::Statement& next = c.nextStatement();
    next.bind(kRowidParam, c.rowid);
    if (c.land(next)) {
        c.arrive(c.ordinal + 1);
    } else {
        c.position = Cursor::Position::PastEnd;
    }
}

void Recordset::MoveToEnd() {
    Cursor& c = cursor();
    c.pending = Cursor::Pending::None;
    c.position = Cursor::Position::PastEnd;
}

std::string Recordset::Field(std::string_view column) const {
    const Cursor& c = cursor();
    c.requireRow();
    const Column which = requireColumn(column);
    const auto& value = c.values[static_cast<std::size_t>(which)];
    if (!value) {
        throw StoreError("Column " + std::string(columnName(which)) +
                         " of the current record holds no value (null)");
    }
    return *value;
}

void Recordset::AddNew() {
    Cursor& c = cursor();
    c.buffer = Values{};
    c.pending = Cursor::Pending::Adding;
}

void Recordset::Edit() {
    Cursor& c = cursor();
    c.requireRow();
    // Columns the caller does not set keep what the row holds.
    c.buffer = c.values;
    c.editedRowid = c.rowid;
    c.pending = Cursor::Pending::Editing;
}

void Recordset::SetField(std::string_view column, std::string value) {
    Cursor& c = cursor();
    const Column which = requireColumn(column);
    if (c.pending == Cursor::Pending::None) {
        throw StoreError("Cannot set column " + std::string(columnName(which)) +
                         ": no record has been begun by AddNew or Edit");
    }
    c.buffer[static_cast<std::size_t>(which)] = std::move(value);
}

void Recordset::Update() {
    Cursor& c = cursor();
    switch (c.pending) {
        case Cursor::Pending::None:
            throw StoreError("Cannot store the record: neither AddNew nor Edit has begun one");
        case Cursor::Pending::Adding:
            c.insertBuffer();
            return;
        case Cursor::Pending::Editing:
            c.changeRow();
            return;
    }
}

void Recordset::Delete() {
    Cursor& c = cursor();
    c.requireRow();
    c.pending = Cursor::Pending::None;
    c.book->requireStillThere();
    SQLite::Statement& remove = c.prepared(c.remover, sql::kRemove);
    int removed = 0;
    try {
        ResetOnExit reset(remove);
        remove.bind(kRowidParam, c.rowid);
        removed = remove.exec();
    } catch (const SQLite::Exception& e) {
        throw c.book->tableFailure("Cannot delete the current record from the book " + c.bookText(), e);
    }
    c.dropCurrent();
    if (removed != 1) {
        throw StoreError("Cannot delete the current record: " + c.vanished(c.rowid));
    }
}

std::int64_t Recordset::RecordCount() const {
    return cursor().reached;
}

}  // namespace korvale
