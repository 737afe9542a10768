// A second program on the book, for the tests that need one: it writes through ClientStore exactly as
// the record screens do, and reports on stdout, line by line, what it begins and what has returned.
//
//   churn DIR RUN SEED   adds, changes and deletes rows until killed; "B <op> <version> <name>" before
//                        each call, "K" once it has returned
//   add DIR TAG COUNT    adds COUNT rows named "TAG <i>" as the addition screen's SUBMIT does, "K <i>"
//                        after each, then exits 0
//   hold DIR             takes the book's write lock with a row inserted and not committed, says "held",
//                        and rolls back when stdin closes
// Any failure goes to stderr and exits 1.

#include <unistd.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tests/robust/ChurnRecord.h"
#include "store/ClientStore.h"
#include "store/StoreError.h"

namespace {

using korvale::ClientStore;
using korvale::RecordSource;

// Straight to the pipe, unbuffered: a line written before a kill must reach the reader.
void say(const std::string& line) {
    const std::string out = line + "\n";
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, out.data() + done, out.size() - done);
        if (n <= 0) std::exit(1);
        done += static_cast<std::size_t>(n);
    }
}

std::vector<std::string> storedNames(ClientStore& store) {
    std::vector<std::string> names;
    for (auto& rows = store.rows(); !rows.Eof(); rows.MoveNext()) names.push_back(rows.Field("Name"));
    return names;
}

int churn(const std::filesystem::path& dir, std::int64_t run, unsigned seed) {
    ClientStore store;
    store.open(dir, RecordSource::wholeTable());
    std::vector<std::string> names = storedNames(store);
    std::mt19937 random(seed);
    // Versions are unique across runs, so a row's content tells which acknowledged call wrote it.
    std::int64_t version = run * 1'000'000;
    for (std::int64_t i = 0;; ++i) {
        const unsigned pick = random() % 10;
        if (names.empty() || pick < 5) {
            // Non-ASCII and a space inside, as a name stored by another program may have.
            const std::string name = "r" + std::to_string(run) + " n\xc3\xb1" + std::to_string(i);
            ++version;
            say("B A " + std::to_string(version) + " " + name);
            store.addRow(korvale::robust::churnRecord(name, version));
            names.push_back(name);
        } else {
            const std::size_t at = random() % names.size();
            const std::string name = names[at];
            if (pick < 8) {
                ++version;
                say("B C " + std::to_string(version) + " " + name);
                store.lookUp(name);
                store.changeCurrentRow(korvale::robust::churnRecord(name, version));
            } else {
                say("B D 0 " + name);
                store.lookUp(name);
                store.rows().Delete();
                names[at] = names.back();
                names.pop_back();
            }
        }
        say("K");
    }
}

int add(const std::filesystem::path& dir, const std::string& tag, int count) {
    ClientStore store;
    store.open(dir, RecordSource::wholeTable());
    if (!store.rows().Eof()) store.rows().MoveFirst();
    for (int i = 0; i < count; ++i) {
        korvale::ClientRecord record;
        record[korvale::Column::Name] = tag + " " + std::to_string(i);
        record[korvale::Column::address] = "written by " + tag;
        record[korvale::Column::dob] = "dd-mm-yyyy";
        store.addRow(record);
        say("K " + std::to_string(i));
    }
    return 0;
}

int hold(const std::filesystem::path& dir) {
    SQLite::Database db(ClientStore::bookPath(dir), SQLite::OPEN_READWRITE);
    db.exec("BEGIN IMMEDIATE");
    db.exec("INSERT INTO CLIENT_RECORDS (Name) VALUES ('held by another program')");
    say("held");
    std::string ignored;
    while (std::getline(std::cin, ignored)) {
    }
    db.exec("ROLLBACK");
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    try {
        const std::vector<std::string_view> args(argv + 1, argv + argc);
        if (args.size() == 4 && args[0] == "churn")
            return churn(argv[2], std::stoll(argv[3]), static_cast<unsigned>(std::stoul(argv[4])));
        if (args.size() == 4 && args[0] == "add") return add(argv[2], argv[3], std::stoi(argv[4]));
        if (args.size() == 2 && args[0] == "hold") return hold(argv[2]);
        std::cerr << "usage: churn DIR RUN SEED | add DIR TAG COUNT | hold DIR\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}
