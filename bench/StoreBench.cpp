#include "bench/StoreBench.h"

#include <array>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include <sqlite3.h>

#include "store/ClientStore.h"
#include "bench/SqliteFloor.h"
#include "store/StoreError.h"
#include "bench/Timing.h"

namespace bench {

namespace {

using korvale::ClientRecord;
using korvale::ClientStore;
using korvale::Column;
using korvale::RecordSource;

constexpr std::size_t kWarmUp = 3;

// Look-ups take a few tens of microseconds: each sample times a handful, so that reading the clocks
// stays small beside them.
constexpr std::size_t kLookUpsPerSample = 8;

// The order the look-up screens copy the columns into their fields.
constexpr Column kShownOrder[] = {Column::Name,    Column::address,  Column::email_id,
                                  Column::dob,     Column::H_PHONE,  Column::W_PHONE,
                                  Column::cell_no, Column::CATEGORY, Column::remarks};

ClientRecord readShown(korvale::Recordset& rows) {
    ClientRecord record;
    for (const Column c : kShownOrder) record[c] = rows.Field(korvale::columnName(c));
    return record;
}

void openWholeTableOnFirstRow(ClientStore& store, const Book& book) {
    store.open(book.dir, RecordSource::wholeTable());
    if (!store.rows().Eof()) store.rows().MoveFirst();
}

void openAndWalk(ClientStore& store, const Book& book) {
    store.open(book.dir, RecordSource::wholeTable());
    if (!store.walkNames()) throw std::runtime_error("the walk found an empty book");
}

std::filesystem::path fileOf(const Book& book) {
    return ClientStore::bookPath(book.dir);
}

// Every durable write starts from an empty WAL, on both sides: how long the flush takes depends on
// whether the WAL grows or is written over, and alternating writers would otherwise find it in
// different states.
void emptyWal(FloorConnection& db) {
    if (sqlite3_exec(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr) != SQLITE_OK) {
        throw std::runtime_error(std::string("checkpoint: ") + sqlite3_errmsg(db.get()));
    }
}

// Lower-case letters only, as the name field lets them be typed.
std::string lettersOf(std::size_t n) {
    std::string out;
    do {
        out.insert(out.begin(), static_cast<char>('a' + n % 26));
        n /= 26;
    } while (n > 0);
    return out;
}

ClientRecord writtenRecord(const std::string& name, std::size_t i, bool changed) {
    ClientRecord record = contactAt(0x7fff0000ULL + i * 2 + (changed ? 1 : 0));
    record[Column::Name] = name;
    return record;
}

// One figure per book for the same action.
class Figures {
public:
    explicit Figures(const std::vector<Book>& books) : books_(books) {}

    void add(const std::string& action, const std::string& floorAction, Kind kind,
             const std::vector<PairedSamples>& perBook, std::size_t batch = 1) {
        for (std::size_t b = 0; b < books_.size(); ++b) {
            all_.push_back(figureOf(action, floorAction, kind, books_[b].rows, perBook[b], batch));
        }
    }
    std::vector<Figure> take() { return std::move(all_); }

private:
    const std::vector<Book>& books_;
    std::vector<Figure> all_;
};

// Opens a fresh store per repetition, as each load of a screen makes one; the store is released
// outside the timed part.
template <class Open, class FloorOpen>
std::vector<PairedSamples> timeOpens(const std::vector<Book>& books, std::size_t reps, Open open,
                                     FloorOpen floorOpen) {
    auto korvale = [&](std::size_t b, std::size_t) {
        auto store = std::make_unique<ClientStore>();
        const Sample t = timeOnce([&] { open(*store, books[b]); });
        store.reset();
        return t;
    };
    auto floor = [&](std::size_t b, std::size_t) {
        std::unique_ptr<FloorConnection> db;
        const Sample t = timeOnce([&] { db = floorOpen(fileOf(books[b])); });
        db.reset();
        return t;
    };
    timeAcross(books.size(), kWarmUp, korvale, floor);
    return timeAcross(books.size(), reps, korvale, floor);
}

void benchOpens(const std::vector<Book>& books, std::size_t reps, Figures& figures) {
    const auto firstRowFloor = [](const std::filesystem::path& f) { return floorOpenOnFirstRow(f); };
    const auto lastNameFloor = [](const std::filesystem::path& f) {
        std::optional<std::string> last;
        auto db = floorOpenAndFindLastName(f, last);
        if (!last) throw std::runtime_error("the floor found an empty book");
        return db;
    };
    figures.add("ADD_FORM store: open + MoveFirst", "open + first row", Kind::StoreRead,
                timeOpens(books, reps, openWholeTableOnFirstRow, firstRowFloor));
    figures.add("UPDATE_FORM store: open + MoveFirst", "open + first row", Kind::StoreRead,
                timeOpens(books, reps, openWholeTableOnFirstRow, firstRowFloor));
    figures.add("SEARCH_FORM store: open + walk", "open + last name + null check", Kind::StoreRead,
                timeOpens(books, reps, openAndWalk, lastNameFloor));
    figures.add("DELETE_FORM store: open + walk", "open + last name + null check", Kind::StoreRead,
                timeOpens(books, reps, openAndWalk, lastNameFloor));
}

// On each book, one store opened as the search screen opens it, and one floor connection.
void benchLookUps(const std::vector<Book>& books, std::size_t reps, Figures& figures) {
    std::vector<std::unique_ptr<ClientStore>> stores;
    std::vector<std::unique_ptr<FloorConnection>> floors;
    for (const Book& book : books) {
        if (book.presentNames.empty()) throw std::runtime_error("look-ups need a book with rows");
        stores.push_back(std::make_unique<ClientStore>());
        openAndWalk(*stores.back(), book);
        floors.push_back(std::make_unique<FloorConnection>(fileOf(book)));
    }
    const auto nameFor = [&](std::size_t b, std::size_t i, std::size_t k) -> const std::string& {
        const auto& names = books[b].presentNames;
        return names[(i * kLookUpsPerSample + k) % names.size()];
    };

    auto found = [&](std::size_t b, std::size_t i) {
        std::array<ClientRecord, kLookUpsPerSample> shown;
        const Sample t = timeOnce([&] {
            for (std::size_t k = 0; k < kLookUpsPerSample; ++k) {
                stores[b]->lookUp(nameFor(b, i, k));
                shown[k] = readShown(stores[b]->rows());
            }
        });
        for (std::size_t k = 0; k < kLookUpsPerSample; ++k) {
            if (shown[k][Column::Name] != nameFor(b, i, k))
                throw std::runtime_error("a look-up found another row");
        }
        return t;
    };
    auto floorFound = [&](std::size_t b, std::size_t i) {
        std::array<std::optional<ClientRecord>, kLookUpsPerSample> shown;
        const Sample t = timeOnce([&] {
            for (std::size_t k = 0; k < kLookUpsPerSample; ++k)
                shown[k] = floorLookUp(*floors[b], nameFor(b, i, k));
        });
        for (const auto& row : shown) {
            if (!row) throw std::runtime_error("the floor look-up found nothing");
        }
        return t;
    };
    timeAcross(books.size(), kWarmUp, found, floorFound);
    figures.add("Look-up that finds a row (+ read 9 columns)", "select by Name + read 9 columns",
                Kind::StoreRead, timeAcross(books.size(), reps, found, floorFound), kLookUpsPerSample);

    auto none = [&](std::size_t b, std::size_t) {
        std::size_t failed = 0;
        const Sample t = timeOnce([&] {
            for (std::size_t k = 0; k < kLookUpsPerSample; ++k) {
                try {
                    stores[b]->lookUp(books[b].missingName);
                    readShown(stores[b]->rows());
                } catch (const korvale::StoreError&) {
                    // What the screens turn into their "no record" message.
                    ++failed;
                }
            }
        });
        if (failed != kLookUpsPerSample) throw std::runtime_error("a look-up of a missing name found a row");
        return t;
    };
    auto floorNone = [&](std::size_t b, std::size_t) {
        std::size_t shown = 0;
        const Sample t = timeOnce([&] {
            for (std::size_t k = 0; k < kLookUpsPerSample; ++k) {
                shown += floorLookUp(*floors[b], books[b].missingName) ? 1 : 0;
            }
        });
        if (shown != 0) throw std::runtime_error("the floor found a missing name");
        return t;
    };
    timeAcross(books.size(), kWarmUp, none, floorNone);
    figures.add("Look-up that finds none", "select by Name, no row", Kind::StoreRead,
                timeAcross(books.size(), reps, none, floorNone), kLookUpsPerSample);
}

// Each side adds rows of its own, then changes and deletes them again; the warm-up rows come first,
// the timed ones after them.
void benchWrites(const std::vector<Book>& books, std::size_t reps, Figures& figures) {
    std::vector<std::unique_ptr<FloorConnection>> floors;
    std::vector<std::unique_ptr<ClientStore>> adders, updaters, removers;
    for (const Book& book : books) {
        floors.push_back(std::make_unique<FloorConnection>(fileOf(book)));
        adders.push_back(std::make_unique<ClientStore>());
        openWholeTableOnFirstRow(*adders.back(), book);
        updaters.push_back(std::make_unique<ClientStore>());
        openWholeTableOnFirstRow(*updaters.back(), book);
        removers.push_back(std::make_unique<ClientStore>());
        openAndWalk(*removers.back(), book);
    }
    const auto korvaleName = [](std::size_t i) { return "zz korvale " + lettersOf(i); };
    const auto floorName = [](std::size_t i) { return "zz floor " + lettersOf(i); };
    std::size_t offset = 0;

    auto korvaleAdd = [&](std::size_t b, std::size_t i) {
        const ClientRecord r = writtenRecord(korvaleName(offset + i), offset + i, false);
        emptyWal(*floors[b]);
        return timeOnce([&] { adders[b]->addRow(r); });
    };
    auto floorAdds = [&](std::size_t b, std::size_t i) {
        const ClientRecord r = writtenRecord(floorName(offset + i), offset + i, false);
        emptyWal(*floors[b]);
        return timeOnce([&] { floorAdd(*floors[b], r); });
    };
    auto korvaleChange = [&](std::size_t b, std::size_t i) {
        const std::string name = korvaleName(offset + i);
        const ClientRecord r = writtenRecord(name, offset + i, true);
        emptyWal(*floors[b]);
        return timeOnce([&] {
            updaters[b]->lookUp(name);
            updaters[b]->changeCurrentRow(r);
        });
    };
    auto floorChanges = [&](std::size_t b, std::size_t i) {
        const std::string name = floorName(offset + i);
        const ClientRecord r = writtenRecord(name, offset + i, true);
        bool changed = false;
        emptyWal(*floors[b]);
        const Sample t = timeOnce([&] { changed = floorChange(*floors[b], name, r); });
        if (!changed) throw std::runtime_error("the floor changed nothing");
        return t;
    };
    auto korvaleDelete = [&](std::size_t b, std::size_t i) {
        const std::string name = korvaleName(offset + i);
        std::int64_t counted = 0;
        emptyWal(*floors[b]);
        const Sample t = timeOnce([&] {
            removers[b]->lookUp(name);
            counted = removers[b]->rows().RecordCount();
            removers[b]->rows().Delete();
        });
        if (counted != 1) throw std::runtime_error("the deletion screen would have counted no row");
        return t;
    };
    auto floorDeletes = [&](std::size_t b, std::size_t i) {
        const std::string name = floorName(offset + i);
        bool removed = false;
        emptyWal(*floors[b]);
        const Sample t = timeOnce([&] { removed = floorDelete(*floors[b], name); });
        if (!removed) throw std::runtime_error("the floor deleted nothing");
        return t;
    };

    const auto run = [&](auto& korvale, auto& floor) {
        offset = 0;
        timeAcross(books.size(), kWarmUp, korvale, floor);
        offset = kWarmUp;
        return timeAcross(books.size(), reps, korvale, floor);
    };
    figures.add("Add (addRow, durable)", "INSERT, durable", Kind::StoreWrite, run(korvaleAdd, floorAdds));
    figures.add("Change (lookUp + changeCurrentRow, durable)", "select by Name + UPDATE, durable",
                Kind::StoreWrite, run(korvaleChange, floorChanges));
    figures.add("Delete (lookUp + RecordCount + Delete, durable)", "select by Name + DELETE, durable",
                Kind::StoreWrite, run(korvaleDelete, floorDeletes));
}

}  // namespace

std::vector<Figure> benchStore(const std::vector<Book>& books, const StoreRepetitions& reps) {
    Figures figures(books);
    benchOpens(books, reps.opens, figures);
    benchLookUps(books, reps.lookUps, figures);
    benchWrites(books, reps.writes, figures);
    return figures.take();
}

}  // namespace bench
