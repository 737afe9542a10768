// The store as the record screens use it against the same SQL texts straight through the SQLite C API on
// a connection set up like the store's: the floor is what the engine itself needs.

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

// The order the look-up screens copy the columns into their fields.
constexpr Column kShownOrder[] = {Column::Name,    Column::address,  Column::email_id,
                                  Column::dob,     Column::H_PHONE,  Column::W_PHONE,
                                  Column::cell_no, Column::CATEGORY, Column::remarks};

// Look-ups take microseconds: each sample times this many, so that reading the clocks stays small.
constexpr std::size_t kBatch = 8;

// The addition and updation screens open on the first row; the search and deletion screens walk to
// the end, leaving the last Name in their look-up field.
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
    Statement first(db, korvale::sql::kFirstOfTable);
    if (first.step()) first.readAll(1);
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
    if (!find.step()) return 0;
    find.readAll(1);
    return find.integer(0);
}

// On one book: a store opened as each record screen opens its own, and a floor connection.
struct Stores {
    explicit Stores(const Book& book) : floor(connect(book.dir)) {
        openOnFirstRow(adder, book);
        openOnFirstRow(changer, book);
        openAndWalk(searcher, book);
    }
    Db floor;
    ClientStore adder, changer, searcher;
};

// A deque, as stores stay where they are made.
std::deque<Stores> storesOn(const Run& run) {
    std::deque<Stores> stores;
    for (const Book& book : run.books) stores.emplace_back(book);
    return stores;
}

}  // namespace

std::vector<Figure> storeReads(const Run& run) {
    std::vector<Figure> out;
    // A fresh store per repetition, as each load of a screen makes one; releasing it is not timed.
    const auto opens = [&](const char* action, auto open, auto floorOpen) {
        auto korvale = [&](std::size_t b, std::size_t) {
            auto store = std::make_unique<ClientStore>();
            return timed([&] { open(*store, run.books[b]); });
        };
        auto floor = [&](std::size_t b, std::size_t) {
            Db db(nullptr, &sqlite3_close_v2);
            return timed([&] { db = floorOpen(run.books[b]); });
        };
        compare(out, action, Unit::Cpu, run.sizes, run.reps(101), korvale, floor);
    };
    opens("ADD_FORM, UPDATE_FORM store: open on the first row", openOnFirstRow, floorOnFirstRow);
    opens("SEARCH_FORM, DELETE_FORM store: open and walk", openAndWalk, floorWalk);

    // As on the screens, the nine columns are read in the order the fields show them, and a missing name
    // ends with the failed read of the first.
    const auto lookUp = [](Stores& s, bool floor, const std::string& name) -> std::size_t {
        if (floor) return floorLookUp(s.floor, name) != 0;
        try {
            s.searcher.lookUp(name);
            for (const Column c : kShownOrder) s.searcher.rows().Field(korvale::columnName(c));
            return 1;
        } catch (const korvale::StoreError&) {
            return 0;
        }
    };
    // Each side counts the rows it found: all or none.
    auto stores = storesOn(run);
    const auto lookUps = [&](const char* action, bool present) {
        const auto side = [&](bool floor) {
            return [&, floor](std::size_t b, std::size_t i) {
                const auto& names = run.books[b].names;
                std::size_t found = 0;
                const Sample s = timed([&] {
                    for (std::size_t k = 0; k < kBatch; ++k)
                        found +=
                            lookUp(stores[b], floor,
                                   present ? names[(i * kBatch + k) % names.size()] : run.books[b].missing);
                });
                if (found != (present ? kBatch : 0))
                    throw std::runtime_error(std::string(action) + ": wrong rows");
                return s;
            };
        };
        compare(out, action, Unit::Cpu, run.sizes, run.reps(401), side(false), side(true), kBatch);
    };
    lookUps("Look-up that finds a row, nine columns read", true);
    lookUps("Look-up that finds none", false);
    return out;
}

// Each side adds rows of its own, then changes them, then deletes them, so every book keeps its size.
std::vector<Figure> storeWrites(const Run& run) {
    auto stores = storesOn(run);
    std::vector<Figure> out;
    // Row i of a side is named after the side and i, and a change writes other contents than the add
    // did. Each write must touch one row, and starts from an empty WAL: how long the flush takes depends
    // on whether the WAL grows or is written over.
    const auto writes = [&](const char* action, std::size_t contents, auto write) {
        const auto side = [&](bool floor) {
            return [&, floor](std::size_t b, std::size_t i) {
                const std::string name = (floor ? "zz floor " : "zz korvale ") + std::to_string(i);
                ClientRecord record = contactAt(0x7fff0000ULL + i + contents);
                record[Column::Name] = name;
                exec(stores[b].floor, "PRAGMA wal_checkpoint(TRUNCATE)");
                bool one = false;
                const Sample s = timed([&] { one = write(stores[b], floor, name, record); });
                if (!one) throw std::runtime_error(std::string(action) + ": no row written");
                return s;
            };
        };
        compare(out, action, Unit::Wall, run.sizes, run.reps(151), side(false), side(true));
    };
    // The floor's write: the statement alone for an add; for the others, after the look-up of the row
    // with its columns, as the screens look it up before they change or delete it.
    const auto floorWrite = [](Db& db, const char* sql, const std::string& name, const ClientRecord* r) {
        Statement statement(db, sql);
        if (r) statement.bind(*r);
        if (sql != korvale::sql::kInsert) {
            const std::int64_t rowid = floorLookUp(db, name);
            if (rowid == 0) return false;
            statement.bind(10, rowid);
        }
        statement.step();
        return sqlite3_changes(db.get()) == 1;
    };
    writes("Add: addRow, durable", 0,
           [&](Stores& s, bool floor, const std::string& name, const ClientRecord& r) {
               if (floor) return floorWrite(s.floor, korvale::sql::kInsert, name, &r);
               s.adder.addRow(r);
               return true;
           });
    writes("Change: lookUp and changeCurrentRow, durable", 1,
           [&](Stores& s, bool floor, const std::string& name, const ClientRecord& r) {
               if (floor) return floorWrite(s.floor, korvale::sql::kChange, name, &r);
               s.changer.lookUp(name);
               s.changer.changeCurrentRow(r);
               return true;
           });
    writes("Delete: lookUp, RecordCount and Delete, durable", 0,
           [&](Stores& s, bool floor, const std::string& name, const ClientRecord&) {
               if (floor) return floorWrite(s.floor, korvale::sql::kRemove, name, nullptr);
               s.searcher.lookUp(name);
               const bool one = s.searcher.rows().RecordCount() == 1;
               s.searcher.rows().Delete();
               return one;
           });
    return out;
}

}  // namespace bench
