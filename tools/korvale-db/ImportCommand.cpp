#include "tools/korvale-db/ImportCommand.h"


#include <cstdlib>
#include <iostream>

#include "exchange/ContactMapping.h"
#include "exchange/CsvFormat.h"
#include "exchange/FormatError.h"
#include "exchange/VCardReader.h"
#include "store/BookHandle.h"
#include "store/ImportRows.h"
#include "tools/korvale-db/ImportReport.h"
#include "tools/korvale-db/InputFile.h"
#include "tools/korvale-db/Progress.h"
#include "tools/korvale-db/ToolError.h"

namespace korvale::tool {

using namespace korvale::exchange;

namespace {


// Adds contacts to the book, or, in a dry run, only decides whether it would.
class ContactSink {
public:
    ContactSink(BookHandle& book, bool dryRun, ImportReport& report)
        : dryRun_(dryRun), report_(report), rows_(book) {}

    void take(const Contact& contact, std::size_t line) {
        report_.read(contact, line);
        const std::string& name = contact.record[Column::Name];
        if (!contact.named) {
            report_.skipped(line, name, "neither FN nor N gives it a name");
            return;
        }
        switch (rows_.earlier(contact.record)) {
            case ImportRows::Earlier::SameValues:
                report_.skipped(line, name, "the book already holds a contact with the same nine columns");
                return;
            case ImportRows::Earlier::SameName:
                report_.alreadyInBook(name);
                break;
            case ImportRows::Earlier::None:
                break;
        }
        if (!dryRun_) rows_.insert(contact.record);
        report_.added();
    }

private:
    bool dryRun_;
    ImportReport& report_;
    ImportRows rows_;
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
    const InputFile input(file);
    const std::string_view text = input.text();
    BookHandle book = BookHandle::open(line.book.dir, BookHandle::Access::ReadWrite);
    ImportReport report;
    // The write lock is taken first even for a dry run, so that its report holds for the book as it is.
    BookHandle::Writing writing = book.beginWriting("Cannot import " + file);
    try {
        ContactSink sink(book, line.has("--dry-run"), report);
        Progress progress("Importing", text.size());
        if (looksLikeVCard(text)) {
            readCards(text, sink, progress);
        } else {
            readCsv(text, sink, progress);
        }
        if (!line.has("--dry-run")) writing.commit();
    } catch (const FormatError& e) {
        throw ToolError("Cannot import " + file + ": " + e.what() + ". Nothing was added to the book.");
    }
    report.print(std::cout, file, line.has("--dry-run"));
    return EXIT_SUCCESS;
}

}  // namespace korvale::tool
