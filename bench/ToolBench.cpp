// korvale-db's export and import against SQLite doing the same, and writes with history against without.

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

// Every row's nine texts and its UID, in stored order, as an export must read them.
constexpr const char* kRowsWithUids =
    "SELECT c.*, uid FROM CLIENT_RECORDS AS c LEFT JOIN CONTACT_UIDS ON row_id = c.rowid ORDER BY c.rowid";

std::string fileBytes(const std::filesystem::path& file) {
    std::string bytes(std::filesystem::file_size(file), '\0');
    std::ifstream(file, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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
    // The book's rows, as its maker wrote them, for the floor to insert.
    std::vector<korvale::ClientRecord> rows;
    for (std::int64_t i = 0; i < book.rows; ++i) rows.push_back(contactAt(static_cast<std::uint64_t>(i)));
    std::vector<Figure> out;
    const std::size_t reps = run.quick ? 1 : 3;
    compare(
        out, "Export as vCard 4.0: korvale-db export -o", Figure::Unit::Cpu, {book.rows}, reps,
        [&](bool floor, std::size_t, std::size_t) {
            if (!floor) return tool(run, {"export", book.dir.string(), "-o", cards.string()});
            return timed([&] {
                const Db db = connect(book.dir);
                for (Statement all(db, kRowsWithUids); all.step();)
                    for (int c = 0; c <= static_cast<int>(korvale::kColumnCount); ++c) all.view(c);
                writeDurably(run.scratch / "floor.vcf", bytes);
            });
        },
        1, 1);
    compare(
        out, "Import into an empty book: korvale-db import", Figure::Unit::Cpu, {book.rows}, reps,
        [&](bool floor, std::size_t, std::size_t) {
            if (!floor) return tool(run, {"import", emptyBook(in).string(), cards.string()});
            const Db db = connect(emptyBook(in));
            return timed([&] {
                const std::string read = fileBytes(cards);
                exec(db, kBeginImport);
                Statement insert(db, korvale::sql::kInsert);
                for (const korvale::ClientRecord& r : rows) insert.bind(r), insert.step();
                exec(db, "COMMIT");
            });
        },
        1, 1);
    return out;
}

std::vector<Figure> historyWrites(const Run& run) {
    // Twice the store's repetitions (history costs a page or two, which the disk's noise would blur), each
    // write from an empty WAL. A delete takes row i, first of its name once rows 0 to i-1 are gone.
    const std::filesystem::path dirs[2] = {run.scratch / "with history", run.scratch / "without history"};
    const std::vector<std::string> names = makeBook(dirs[0], kHistoryBookRows).names;
    makeBook(dirs[1], kHistoryBookRows);
    exec(connect(dirs[1]), kDropHistory);
    korvale::ClientStore stores[2];
    const Db journals[2] = {connect(dirs[0]), connect(dirs[1])};
    for (int b = 0; b < 2; ++b) stores[b].open(dirs[b], korvale::RecordSource::wholeTable());
    std::vector<Figure> out;
    for (const bool remove : {false, true})
        compare(
            out,
            remove ? "Delete: lookUp and Delete, durable" : "Change: lookUp and changeCurrentRow, durable",
            Figure::Unit::Wall, {kHistoryBookRows}, run.reps(301),
            [&](bool withoutHistory, std::size_t, std::size_t i) {
                const int b = withoutHistory;
                korvale::ClientRecord record = contactAt(i);
                const std::string name = remove ? record[korvale::Column::Name] : names[i % names.size()];
                record[korvale::Column::Name] = name;
                record[korvale::Column::remarks] = "changed " + std::to_string(i);
                exec(journals[b], "PRAGMA wal_checkpoint(TRUNCATE)");
                return timed([&] {
                    stores[b].lookUp(name);
                    remove ? stores[b].rows().Delete() : stores[b].changeCurrentRow(record);
                });
            });
    return out;
}

}  // namespace bench
