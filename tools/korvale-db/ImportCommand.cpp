#include "tools/korvale-db/ImportCommand.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include <SQLiteCpp/Statement.h>

#include "exchange/ContactMapping.h"
#include "exchange/CsvFormat.h"
#include "exchange/FormatError.h"
#include "exchange/VCardReader.h"
#include "store/Statements.h"
#include "store/StoreError.h"
#include "tools/korvale-db/ImportReport.h"
#include "tools/korvale-db/MappedFile.h"
#include "tools/korvale-db/Progress.h"
#include "tools/korvale-db/ToolBook.h"

namespace korvale::tool {

using namespace korvale::exchange;

namespace {

// The rows stored before the import began (rowid up to ?10) under a name.
constexpr const char* kEarlierOfName =
    "SELECT Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY FROM CLIENT_RECORDS "
    "WHERE Name = ?1 AND rowid <= ?10";
constexpr const char* kLastRowid = "SELECT coalesce(max(rowid), 0) FROM CLIENT_RECORDS";
constexpr int kRowidParam = static_cast<int>(kColumnCount) + 1;
// One transaction adds every contact: with the engine's default 2 MB of page cache, a large file would
// spill the Name index's pages to the journal and read them back again and again.
constexpr const char* kImportCache = "PRAGMA cache_size = -131072";

// Adds contacts to the book, or, in a dry run, only decides whether it would.
class ContactSink {
public:
    ContactSink(BookConnection& book, bool dryRun, ImportReport& report)
        : dryRun_(dryRun),
          report_(report),
          insert_(book.db(), sql::kInsert),
          earlier_(book.db(), kEarlierOfName) {
        SQLite::Statement last(book.db(), kLastRowid);
        lastEarlier_ = last.executeStep() ? last.getColumn(0).getInt64() : 0;
    }

    void take(const Contact& contact, std::size_t line) {
        report_.read(contact, line);
        const std::string& name = contact.record[Column::Name];
        if (!contact.named) {
            report_.skipped(line, name, "neither FN nor N gives it a name");
            return;
        }
        // Only rows from before the import count: a file may hold the same contact twice on purpose.
        if (lastEarlier_ > 0 && standsInBook(contact.record)) {
            report_.skipped(line, name, "the book already holds a contact with the same nine columns");
            return;
        }
        if (!dryRun_) {
            // The record outlives the statement's step: no copy of its texts is needed.
            for (std::size_t i = 0; i < kColumnCount; ++i) {
                insert_.bindNoCopy(static_cast<int>(i) + 1, contact.record.values[i]);
            }
            insert_.exec();
            insert_.reset();
        }
        report_.added();
    }

private:
    // Whether a row of the same name holds the same values (a null reads as an empty text, as no
    // format tells the two apart); notes the name for the report either way.
    bool standsInBook(const ClientRecord& record) {
        earlier_.bind(1, record[Column::Name]);
        earlier_.bind(kRowidParam, lastEarlier_);
        bool same = false;
        bool any = false;
        while (!same && earlier_.executeStep()) {
            any = true;
            same = true;
            for (std::size_t i = 0; i < kColumnCount && same; ++i) {
                same = earlier_.getColumn(static_cast<int>(i)).getString() == record.values[i];
            }
        }
        earlier_.reset();
        if (any && !same) report_.alreadyInBook(record[Column::Name]);
        return same;
    }

    bool dryRun_;
    ImportReport& report_;
    SQLite::Statement insert_;
    SQLite::Statement earlier_;
    std::int64_t lastEarlier_ = 0;
};

void readCards(std::string_view text, ContactSink& sink, Progress& progress) {
    VCardReader reader(text);
    // The rows take the cards' values; their text is not written back anywhere.
    reader.keepOriginals(false);
    Card card;
    while (reader.next(card)) {
        sink.take(contactFromCard(card, Extras::Fold), card.line);
        progress.show(reader.position());
    }
}

void readCsv(std::string_view text, ContactSink& sink, Progress& progress) {
    CsvReader reader(text);
    std::vector<std::string> headerFields;
    if (!reader.next(headerFields)) return;
    const CsvHeader header = readCsvHeader(headerFields, reader.line());
    std::vector<std::string> fields;
    while (reader.next(fields)) {
        if (fields.size() != header.size()) {
            throw FormatError(reader.line(), std::to_string(fields.size()) + " fields where the header has " +
                                                 std::to_string(header.size()));
        }
        sink.take(contactFromCsv(header, headerFields, fields), reader.line());
        progress.show(reader.position());
    }
}

}  // namespace

int importContacts(const CommandLine& line) {
    const std::string file = line.operands.front();
    const MappedFile mapped(file);
    const std::string_view text = mapped.text();
    const auto book = openBook(line.book.dir);
    ImportReport report;
    book->db().exec(kImportCache);
    // The write lock is taken first even for a dry run, so that its report holds for the book as it is.
    SQLite::Transaction transaction = beginWriting(*book, "Cannot import " + file);
    try {
        ContactSink sink(*book, line.has("--dry-run"), report);
        Progress progress("Importing", text.size());
        if (looksLikeVCard(text)) {
            readCards(text, sink, progress);
        } else {
            readCsv(text, sink, progress);
        }
        if (!line.has("--dry-run")) transaction.commit();
    } catch (const FormatError& e) {
        throw StoreError("Cannot import " + file + ": " + e.what() + ". Nothing was added to the book.");
    } catch (const SQLite::Exception& e) {
        throw book->tableFailure(
            "Cannot import " + file + " into the book " + book->path().string() + "; nothing was added", e);
    }
    report.print(std::cout, file, line.has("--dry-run"));
    return EXIT_SUCCESS;
}

}  // namespace korvale::tool
