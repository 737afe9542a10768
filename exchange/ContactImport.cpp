#include "exchange/ContactImport.h"

#include "exchange/ContactMapping.h"
#include "exchange/CsvFormat.h"
#include "exchange/FormatError.h"
#include "exchange/VCardReader.h"

namespace korvale::exchange {

namespace {

// Adds contacts to the book, or, in a dry run, only decides whether it would.
void take(const Contact& contact, std::size_t line, ImportRows& rows, bool dryRun, ImportReport& report) {
    report.read(contact, line);
    const std::string& name = contact.record[Column::Name];
    if (!contact.named) {
        report.skipped(line, name, "neither FN nor N gives it a name");
        return;
    }
    switch (rows.earlier(contact.record)) {
        case ImportRows::Earlier::SameValues:
            report.skipped(line, name, "the book already holds a contact with the same nine columns");
            return;
        case ImportRows::Earlier::SameName:
            report.alreadyInBook(name);
            break;
        case ImportRows::Earlier::None:
            break;
    }
    if (!dryRun) rows.insert(contact.record);
    report.added();
}

}  // namespace

ImportReport importContacts(std::string_view text, ImportRows& rows, bool dryRun,
                            const std::function<void(std::uint64_t)>& progress) {
    ImportReport report;
    if (looksLikeVCard(text)) {
        VCardReader reader(text);
        // The rows take the cards' values; their text is not written back anywhere.
        reader.keepOriginals(false);
        Card card;
        while (reader.next(card)) {
            take(contactFromCard(card, Extras::Fold), card.line, rows, dryRun, report);
            progress(reader.position());
        }
        return report;
    }
    CsvReader reader(text);
    std::vector<std::string> headerFields;
    if (!reader.next(headerFields)) return report;
    const CsvHeader header = readCsvHeader(headerFields, reader.line());
    std::vector<std::string> fields;
    while (reader.next(fields)) {
        if (fields.size() != header.size()) {
            throw FormatError(reader.line(), std::to_string(fields.size()) + " fields where the header has " +
                                                 std::to_string(header.size()));
        }
        take(contactFromCsv(header, headerFields, fields), reader.line(), rows, dryRun, report);
        progress(reader.position());
    }
    return report;
}

}  // namespace korvale::exchange
