// korvale-db's export and import of the largest book against the engine reading or inserting the same
// rows plus the same bytes written or read, and the store's durable change and delete on a book that
// keeps history against the same on a book without it.

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "bench/Bench.h"
#include "bench/Sql.h"
#include "store/ClientStore.h"
#include "store/Statements.h"

namespace bench {

namespace {

constexpr std::int64_t kHistoryBookRows = 10000;
// The page cache korvale-db import sets, so that the floor's one large transaction does not spill either.
constexpr const char* kBeginImport = "PRAGMA cache_size = -131072; BEGIN IMMEDIATE";
constexpr const char* kDropHistory =
    "DROP TRIGGER CLIENT_RECORDS_keep_changed; DROP TRIGGER CLIENT_RECORDS_keep_deleted; "
    "DROP TABLE CLIENT_RECORDS_HISTORY";

// Every row's nine texts in one buffer, as the floor's inserts bind them.
struct Rows {
    std::string text;
    std::vector<int> lengths;
};

// Steps through every row and reads its nine texts; keeps them when `keep`.
Rows readRows(const Db& db, bool keep) {
    Statement all(db, korvale::sql::kAllRows);
    Rows rows;
    while (all.step()) {
        for (int c = 0; c < static_cast<int>(korvale::kColumnCount); ++c) {
            const std::string_view text = all.view(c);
            if (keep) rows.text += text, rows.lengths.push_back(static_cast<int>(text.size()));
        }
    }
    return rows;
}

void insertRows(const Db& db, const Rows& rows) {
    Statement insert(db, korvale::sql::kInsert);
    const std::size_t columns = korvale::kColumnCount;
    for (std::size_t i = 0, at = 0; i < rows.lengths.size();
         at += static_cast<std::size_t>(rows.lengths[i++])) {
        insert.bind(static_cast<int>(i % columns) + 1, rows.text.data() + at, rows.lengths[i]);
        if (i % columns == columns - 1) insert.step();
    }
}

std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes(std::filesystem::file_size(file), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void writeDurably(const std::filesystem::path& file, const std::string& bytes) {
    FILE* out = std::fopen(file.c_str(), "wb");
    const bool written = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() &&
                         std::fflush(out) == 0 && ::fsync(::fileno(out)) == 0;
    if (!out || std::fclose(out) != 0 || !written) throw std::runtime_error("cannot write " + file.string());
}

// korvale-db in a child process: its wall clock from the spawn, and its own CPU time.
Sample tool(const Run& run, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), (run.programs.parent_path() / "korvale-db").string());
    return runChild(std::move(arguments)).sample();
}

}  // namespace

std::vector<Figure> toolTransfers(const Run& run) {
    const Book& book = run.books.back();
    const std::filesystem::path cards = run.scratch / "export.vcf", in = run.scratch / "import";
    tool(run, {"export", book.dir.string(), "-o", cards.string()});
    const std::string bytes = fileBytes(cards);
    const Rows rows = readRows(connect(book.dir), true);
    std::vector<Figure> out;
    const std::size_t reps = run.quick ? 1 : 3;
    compare(
        out, "Export as vCard 4.0: korvale-db export -o", Figure::Unit::Cpu, {book.rows}, reps,
        [&](std::size_t, std::size_t) {
            return tool(run, {"export", book.dir.string(), "-o", cards.string()});
        },
        [&](std::size_t, std::size_t) {
            return timed([&] {
                readRows(connect(book.dir), false);
                writeDurably(run.scratch / "floor.vcf", bytes);
            });
        },
        1, 1);
    compare(
        out, "Import into an empty book: korvale-db import", Figure::Unit::Cpu, {book.rows}, reps,
        [&](std::size_t, std::size_t) {
            return tool(run, {"import", emptyBook(in).string(), cards.string()});
        },
        [&](std::size_t, std::size_t) {
            const Db db = connect(emptyBook(in));
            return timed([&] {
                const std::string read = fileBytes(cards);
                exec(db, kBeginImport);
                insertRows(db, rows);
                exec(db, "COMMIT");
            });
        },
        1, 1);
    return out;
}

std::vector<Figure> historyWrites(const Run& run) {
    // Two books alike but for the history, and twice the store's repetitions: a write with history
    // costs a page or two more than one without, a difference the disk's noise over fewer would blur.
    // A delete takes row i, the first of its name once rows 0 to i-1 are gone; a change writes other
    // remarks each time, so that there is always something to keep.
    const std::filesystem::path dirs[2] = {run.scratch / "with history", run.scratch / "without history"};
    const std::vector<std::string> names = makeBook(dirs[0], kHistoryBookRows).names;
    makeBook(dirs[1], kHistoryBookRows);
    exec(connect(dirs[1]), kDropHistory);
    korvale::ClientStore stores[2];
    const Db journals[2] = {connect(dirs[0]), connect(dirs[1])};
    for (int b = 0; b < 2; ++b) stores[b].open(dirs[b], korvale::RecordSource::wholeTable());
    std::vector<Figure> out;
    for (const bool remove : {false, true}) {
        const auto side = [&](int b) {
            return [&, b](std::size_t, std::size_t i) {
                korvale::ClientRecord record = contactAt(i);
                const std::string name = remove ? record[korvale::Column::Name] : names[i % names.size()];
                record[korvale::Column::Name] = name;
                record[korvale::Column::remarks] = "changed " + std::to_string(i);
                // Every write starts from an empty WAL, as the store's writes are timed.
                exec(journals[b], "PRAGMA wal_checkpoint(TRUNCATE)");
                return timed([&] {
                    stores[b].lookUp(name);
                    remove ? stores[b].rows().Delete() : stores[b].changeCurrentRow(record);
                });
            };
        };
        compare(
            out,
            remove ? "Delete: lookUp and Delete, durable" : "Change: lookUp and changeCurrentRow, durable",
            Figure::Unit::Wall, {kHistoryBookRows}, run.reps(301), side(0), side(1));
    }
    return out;
}

}  // namespace bench
