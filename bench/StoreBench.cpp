// The store as the record screens use it against its own SQL texts through the SQLite C API.

#include <deque>
#include <memory>
#include <stdexcept>

#include "bench/Bench.h"
#include "bench/Sql.h"
#include "store/ClientStore.h"
#include "store/Statements.h"

namespace bench {

namespace {

using korvale::ClientRecord;
using korvale::ClientStore;
using korvale::Column;
using Unit = Figure::Unit;

// Look-ups take microseconds: each sample times this many, so that reading the clocks stays small.
constexpr std::size_t kBatch = 8;

// The addition and updation screens open on the first row; the others walk to the end for the last Name.
void openOnFirstRow(ClientStore& store, const Book& book) {
    store.open(book.dir, korvale::RecordSource::wholeTable());
    if (!store.rows().Eof()) store.rows().MoveFirst();
}
void openAndWalk(ClientStore& store, const Book& book) {
    store.open(book.dir, korvale::RecordSource::wholeTable());
    if (!store.walkNames()) throw std::runtime_error("the walk found an empty book");
}

Db floorOnFirstRow(const Book& book) {
    Db db = connect(book.dir);
    if (Statement first(db, korvale::sql::kFirstOfTable); first.step()) first.readAll(1);
    return db;
}
// The two seeks that stand for the walk: no Name is null, and the last stored row's Name.
Db floorWalk(const Book& book) {
    Db db = connect(book.dir);
    Statement anyNull(db, korvale::sql::kAnyNullName), last(db, korvale::sql::kLastName);
    if (anyNull.step() || !last.step() || last.text(0).empty()) throw std::runtime_error("floor: no walk");
    return db;
}
// The first row of the name with its nine columns read; its rowid, or 0 when there is none.
std::int64_t floorLookUp(const Db& db, const std::string& name) {
    Statement find(db, korvale::sql::kFirstOfName);
    find.bind(1, name);
    return find.step() ? (find.readAll(1), find.integer(0)) : 0;
}

// On one book, the stores each record screen opens, and a floor connection; in a deque, as stores stay put.
struct Stores {
    explicit Stores(const Book& book) : floor(connect(book.dir)) {
        openOnFirstRow(adder, book), openOnFirstRow(changer, book), openAndWalk(searcher, book);
    }
    Db floor;
    ClientStore adder, changer, searcher;
};

}  // namespace

std::vector<Figure> storeReads(const Run& run) {
    std::vector<Figure> out;
    // A fresh store per repetition, as each load of a screen makes one; releasing it is not timed.
    const auto opens = [&](const char* action, auto open, auto floorOpen) {
        compare(out, action, Unit::Cpu, run.sizes, run.reps(101),
                [&](bool floor, std::size_t b, std::size_t) {
                    Db db(nullptr, &sqlite3_close_v2);
                    auto store = std::make_unique<ClientStore>();
                    return floor ? timed([&] { db = floorOpen(run.books[b]); })
                                 : timed([&] { open(*store, run.books[b]); });
                });
    };
    opens("ADD_FORM, UPDATE_FORM store: open on the first row", openOnFirstRow, floorOnFirstRow);
    opens("SEARCH_FORM, DELETE_FORM store: open and walk", openAndWalk, floorWalk);

    // As on the screens, the nine fields are read by name, and a missing name ends with the failed look-up.
    const auto lookUp = [](Stores& s, bool floor, const std::string& name) -> std::size_t {
        if (floor) return floorLookUp(s.floor, name) != 0;
        try {
            s.searcher.lookUp(name);
            for (const std::string_view field : korvale::kColumnNames) s.searcher.rows().Field(field);
            return 1;
        } catch (const korvale::StoreError&) {
            return 0;
        }
    };
    std::deque<Stores> stores(run.books.begin(), run.books.end());
    const auto lookUps = [&](const char* action, bool present) {
        const auto time = [&](bool floor, std::size_t b, std::size_t i) {
            const auto& names = run.books[b].names;
            std::size_t found = 0;
            const Sample s = timed([&] {
                for (std::size_t k = 0; k < kBatch; ++k)
                    found += lookUp(stores[b], floor,
                                    present ? names[(i * kBatch + k) % names.size()] : run.books[b].missing);
            });
            if (found != (present ? kBatch : 0))
                throw std::runtime_error(std::string(action) + ": wrong rows");
            return s;
        };
        compare(out, action, Unit::Cpu, run.sizes, run.reps(401), time, kBatch);
    };
    lookUps("Look-up that finds a row, nine columns read", true);
    lookUps("Look-up that finds none", false);
    return out;
}

// Each side adds rows of its own, then changes them, then deletes them, so every book keeps its size.
std::vector<Figure> storeWrites(const Run& run) {
    std::deque<Stores> stores(run.books.begin(), run.books.end());
    std::vector<Figure> out;
    // Row i of a side is named after both, a change writes other contents than the add, each write
    // touches one row and starts from an empty WAL (the flush differs as the WAL grows or is written over).
    // The floor's write: an add alone; the others after the look-up of the row, as on the screens.
    const auto floorWrite = [](Db& db, const char* sql, const std::string& name, const ClientRecord& r) {
        Statement statement(db, sql);
        if (sql != korvale::sql::kRemove) statement.bind(r);
        const std::int64_t rowid = sql == korvale::sql::kInsert ? -1 : floorLookUp(db, name);
        if (rowid > 0) statement.bind(10, rowid);
        return rowid != 0 && (statement.step(), sqlite3_changes(db.get()) == 1);
    };
    const auto writes = [&](const char* action, std::size_t contents, const char* sql, auto write) {
        compare(out, action, Unit::Wall, run.sizes, run.reps(151),
                [&](bool floor, std::size_t b, std::size_t i) {
                    const std::string name = (floor ? "zz floor " : "zz korvale ") + std::to_string(i);
                    ClientRecord record = contactAt(0x7fff0000ULL + i + contents);
                    record[Column::Name] = name;
                    exec(stores[b].floor, "PRAGMA wal_checkpoint(TRUNCATE)");
                    bool one = false;
                    const Sample s = timed([&] {
                        one = floor ? floorWrite(stores[b].floor, sql, name, record)
                                    : write(stores[b], name, record);
                    });
                    if (!one) throw std::runtime_error(std::string(action) + ": no row written");
                    return s;
                });
    };
    writes("Add: addRow, durable", 0, korvale::sql::kInsert,
           [](Stores& s, const std::string&, const ClientRecord& r) {
               s.adder.addRow(r);
               return true;
           });
    writes("Change: lookUp and changeCurrentRow, durable", 1, korvale::sql::kChange,
           [](Stores& s, const std::string& name, const ClientRecord& r) {
               s.changer.lookUp(name);
               s.changer.changeCurrentRow(r);
               return true;
           });
    writes("Delete: lookUp, RecordCount and Delete, durable", 0, korvale::sql::kRemove,
           [](Stores& s, const std::string& name, const ClientRecord&) {
               s.searcher.lookUp(name);
               const bool one = s.searcher.rows().RecordCount() == 1;
               s.searcher.rows().Delete();
               return one;
           });
    return out;
}

}  // namespace bench
