#include "exchange/ContactMapping.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <span>

#include <QByteArray>
#include <QDate>
#include <QString>

#include "exchange/FormatError.h"
#include "rules/DateCheck.h"

namespace korvale::exchange {

namespace {

// More distinct dates than this and the memo starts afresh, so that a book of odd texts cannot grow it
// without end.
constexpr std::size_t kMemoLimit = 100000;

constexpr std::array<std::string_view, 6> kCardData{"PRODID", "REV", "UID", "KIND", "CLIENTPIDMAP", "SOURCE"};
constexpr std::array<std::string_view, 5> kNotVoice{"FAX", "PAGER", "MODEM", "TEXTPHONE", "VIDEO"};

enum NamePart { Family, Given, Additional, Prefix, Suffix };
enum AddressPart { PostBox, Extended, Street, Locality, Region, Code, Country };

std::string digits(int value, std::size_t width) {
    std::string text(width, '0');
    for (std::size_t i = width; i-- > 0; value /= 10) text[i] = static_cast<char>('0' + value % 10);
    return text;
}

// The dob text the screens would show for a date: the dd-mm-yyyy of their hint.
std::string dobText(const QDate& date) {
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    return digits(day, 2) + '-' + digits(month, 2) + '-' + digits(year, 4);
}

// A BDAY of a whole date (19870723, 1987-07-23, either with a time after "T") as the screens write it;
// anything else (--0723, a text) as it stands, so that nothing is lost.
std::string dobOfBirthday(const std::string& value) {
    std::string numbers;
    std::size_t i = 0;
    for (; i < value.size() && value[i] != 'T'; ++i) {
        if (value[i] >= '0' && value[i] <= '9') {
            numbers += value[i];
        } else if (value[i] != '-' || i == 0) {
            return value;
        }
    }
    if (numbers.size() != 8) return value;
    const QDate date(std::stoi(numbers.substr(0, 4)), std::stoi(numbers.substr(4, 2)),
                     std::stoi(numbers.substr(6, 2)));
    return date.isValid() ? dobText(date) : value;
}

std::string joinNonEmpty(const std::vector<std::string>& parts, std::string_view separator) {
    std::string joined;
    for (const std::string& part : parts) {
        if (part.empty()) continue;
        if (!joined.empty()) joined += separator;
        joined += part;
    }
    return joined;
}

std::vector<std::string> partsOf(const CardProperty& property, std::size_t count, bool full) {
    std::vector<std::string> parts;
    for (const std::string_view part : splitEscaped(property.value, ';'))
        parts.push_back(unescape(part, full));
    parts.resize(std::max(parts.size(), count));
    return parts;
}

bool isAny(const CardProperty& property, std::span<const std::string_view> types) {
    return std::any_of(types.begin(), types.end(), [&](std::string_view t) { return property.hasType(t); });
}

// A text with every line break (CRLF, CR, LF) made a LF: what a card's value gives back of it.
std::string lineFeedsOnly(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i] == '\r' ? '\n' : text[i];
    }
    return out;
}

// The label a phone's address book gives a group ("_$!<Mobile>!$_" is its own word "Mobile").
std::string labelText(std::string label) {
    if (label.starts_with("_$!<") && label.ends_with(">!$_")) label = label.substr(4, label.size() - 8);
    return label;
}

// Builds a contact from a card's properties in the card's order.
class CardMapper {
public:
    CardMapper(const Card& card, Extras extras)
        : full_(card.version != "2.1"), fold_(extras == Extras::Fold) {
        for (const CardProperty& p : card.properties) {
            if (p.name == "X-ABLABEL" && !p.group.empty()) labels_.emplace_back(p.group, labelText(text(p)));
        }
    }

    void add(const CardProperty& p, int index) {
        const std::string_view name = p.name;
        if (name == "FN" && !fn_) {
            fn_ = unescape(p.value, full_);
        } else if (name == "N" && !n_) {
            n_ = &p;
        } else if (name == "ADR") {
            fill(Column::address, p, index, address(p));
        } else if (name == "EMAIL") {
            fill(Column::email_id, p, index, text(p));
        } else if (name == "TEL") {
            phone(p, index);
        } else if (name == "BDAY" && !birthday_) {
            birthday_ = dobOfBirthday(text(p));
        } else if (name == "X-KORVALE-DOB") {
            dob_ = text(p);
        } else if (name == "X-KORVALE-EXACT") {
            exact(p);
        } else if (name == "NOTE") {
            notes_.push_back(text(p));
        } else if (name == "CATEGORIES") {
            categories(p);
        } else if (std::find(kCardData.begin(), kCardData.end(), name) != kCardData.end()) {
            if (fold_) contact_.leftOut.emplace_back(name);
        } else if (name != "N" && name != "VERSION" && !(name == "X-ABLABEL" && !p.group.empty())) {
            keep(p, text(p));
        }
    }

    Contact finish() {
        for (const auto& [p, index] : untypedPhones_) fill(Column::H_PHONE, *p, index, phoneNumber(*p));
        ClientRecord& record = contact_.record;
        if (fn_ && !fn_->empty()) {
            record[Column::Name] = *fn_;
        } else if (n_) {
            const std::vector<std::string> n = partsOf(*n_, Suffix + 1, full_);
            record[Column::Name] =
                joinNonEmpty({n[Prefix], n[Given], n[Additional], n[Family], n[Suffix]}, " ");
        }
        // A card with an FN or an N property is named, even when both are empty, as the book writes a
        // row without a name, so that it comes back.
        contact_.named = fn_ || n_;
        record[Column::dob] = dob_ && birthday_ && !agree(*dob_, *birthday_) ? *birthday_
                              : dob_                                         ? *dob_
                                                                             : birthday_.value_or("");
        std::string notes = joinNonEmpty(notes_, "\n");
        for (auto& [column, text] : exact_) {
            // The exact text stands when the property still says the same; one changed elsewhere wins.
            std::string& value = column == Column::remarks ? notes : record[column];
            if (lineFeedsOnly(text) == value) value = std::move(text);
        }
        extras_.insert(extras_.begin(), std::move(notes));
        record[Column::remarks] = joinNonEmpty(extras_, "\n");
        return std::move(contact_);
    }

private:
    std::string text(const CardProperty& p) const { return unescape(p.value, full_); }

    // Whether X-KORVALE-DOB's text reads as the date BDAY gives (dd-mm-yyyy): then it is the book's own
    // form of that date; otherwise another program changed BDAY, which is the newer word.
    static bool agree(const std::string& dob, const std::string& birthday) {
        const QDate date = rules::readDate(QString::fromStdString(dob));
        return date.isValid() ? dobText(date) == birthday : birthday.empty();
    }

    // The street part alone when the card has nothing else, as this tool writes it; otherwise every
    // part, in the order an address is read.
    std::string address(const CardProperty& p) const {
        const std::vector<std::string> a = partsOf(p, Country + 1, full_);
        return joinNonEmpty({a[PostBox], a[Extended], a[Street], a[Locality], a[Region], a[Code], a[Country]},
                            ", ");
    }

    std::string phoneNumber(const CardProperty& p) const {
        std::string number = text(p);
        if (number.size() > 4 && (number.starts_with("tel:") || number.starts_with("TEL:")))
            number.erase(0, 4);
        return number;
    }

    const std::string* label(const CardProperty& p) const {
        if (p.group.empty()) return nullptr;
        for (const auto& [group, text] : labels_) {
            if (group == p.group) return &text;
        }
        return nullptr;
    }

    void phone(const CardProperty& p, int index) {
        if (isAny(p, kNotVoice)) {
            keep(p, phoneNumber(p));
        } else if (p.hasType("CELL") || p.hasType("MOBILE")) {
            fill(Column::cell_no, p, index, phoneNumber(p));
        } else if (p.hasType("WORK")) {
            fill(Column::W_PHONE, p, index, phoneNumber(p));
        } else if (p.hasType("HOME")) {
            fill(Column::H_PHONE, p, index, phoneNumber(p));
        } else if (label(p)) {
            // A number its owner labelled ("Mum") is not a home number: it keeps its label.
            keep(p, phoneNumber(p));
        } else {
            // A number of no type goes to H_PHONE if the card leaves that free.
            untypedPhones_.emplace_back(&p, index);
        }
    }

    // Each category goes into the column comma-joined, a comma inside one written "\,".
    void categories(const CardProperty& p) {
        std::string& column = contact_.record[Column::CATEGORY];
        for (const std::string_view part : splitEscaped(p.value, ',')) {
            const std::string category = unescape(part, full_);
            if (category.empty()) continue;
            if (!column.empty()) column += ',';
            for (const char c : category) {
                if (c == ',') column += '\\';
                column += c;
            }
        }
    }

    void exact(const CardProperty& p) {
        for (const CardParameter& parameter : p.parameters) {
            if (parameter.name != "X-COLUMN") continue;
            if (const std::optional<Column> column = columnByName(parameter.value)) {
                const QByteArray bytes = QByteArray::fromBase64(QByteArray::fromStdString(p.value));
                exact_.emplace_back(*column, bytes.toStdString());
            }
        }
    }

    // The column's first value goes into it; a second is kept in remarks.
    void fill(Column column, const CardProperty& p, int index, std::string value) {
        std::string& slot = contact_.record[column];
        if (slot.empty()) {
            slot = std::move(value);
            contact_.from[static_cast<std::size_t>(column)] = index;
        } else {
            keep(p, value);
        }
    }

    void keep(const CardProperty& p, const std::string& value) {
        if (!fold_) return;
        if (p.binary) {
            contact_.notKept.push_back(p.name);
            return;
        }
        const std::string* labelled = label(p);
        const std::string types = labelled ? *labelled : p.types();
        extras_.push_back(p.name + (types.empty() ? "" : " (" + types + ")") + ": " + value);
        contact_.inRemarks.push_back(p.name);
    }

    bool full_;
    bool fold_;
    Contact contact_;
    std::optional<std::string> fn_;
    const CardProperty* n_ = nullptr;
    std::optional<std::string> birthday_;
    std::optional<std::string> dob_;
    std::vector<std::string> notes_;
    std::vector<std::string> extras_;
    std::vector<std::pair<const CardProperty*, int>> untypedPhones_;
    std::vector<std::pair<std::string, std::string>> labels_;
    std::vector<std::pair<Column, std::string>> exact_;
};

}  // namespace

void writeExact(VCardWriter& writer, Column column, std::string_view text) {
    const QByteArray base64 = QByteArray(text.data(), static_cast<qsizetype>(text.size())).toBase64();
    writer.plain(std::string(kExactProperty) + std::string(columnName(column)),
                 std::string_view(base64.constData(), static_cast<std::size_t>(base64.size())));
}

DateMemo::Birthday DateMemo::read(std::string_view dob) {
    // Texts of the hint's shape are many. The rule reads one as the day, month and year its eight digits
    // give (rules::readDate), and refuses it when one of them is no digit: that is done here in place, as a
    // QString made of every text cost more than the rest of its card. A date it accepts is written from
    // the text itself, and a memo of them would miss the processor's caches more often than it saved.
    // Other shapes are few and slow to read.
    if (dob.size() == 10 && dob[2] == '-' && dob[5] == '-') {
        int numbers[3] = {};  // day, month, year
        for (const std::size_t i : {0, 1, 3, 4, 6, 7, 8, 9}) {
            if (dob[i] < '0' || dob[i] > '9') return {};
            int& number = numbers[i < 2 ? 0 : i < 5 ? 1 : 2];
            number = number * 10 + (dob[i] - '0');
        }
        if (!QDate::isValid(numbers[2], numbers[1], numbers[0])) return {};
        const std::string year(dob.substr(6)), month(dob.substr(3, 2)), day(dob.substr(0, 2));
        return {year + month + day, year + '-' + month + '-' + day, false};
    }
    const std::string key(dob);
    if (const auto found = seen_.find(key); found != seen_.end()) return found->second;
    Birthday birthday;
    if (const QDate date = rules::readDate(QString::fromUtf8(dob.data(), static_cast<qsizetype>(dob.size())));
        date.isValid()) {
        const std::string text = dobText(date);
        const std::string year = text.substr(6), month = text.substr(3, 2), day = text.substr(0, 2);
        birthday = {year + month + day, year + '-' + month + '-' + day, text != dob};
    }
    if (seen_.size() >= kMemoLimit) seen_.clear();
    return seen_.emplace(key, std::move(birthday)).first->second;
}

void writeCard(VCardWriter& writer, const RowTexts& row, DateMemo& dates, std::string_view uid) {
    const bool v4 = writer.version() == VCardVersion::V4;
    writer.takeCarriageReturn();
    writer.begin();
    writer.text("UID", uid);
    const std::string_view name = row[static_cast<std::size_t>(Column::Name)];
    writer.text("FN", name);
    const std::size_t space = name.rfind(' ');
    if (space == std::string_view::npos) {
        writer.components("N", {name, "", "", "", ""});
    } else {
        writer.components("N", {name.substr(space + 1), name.substr(0, space), "", "", ""});
    }
    if (const std::string_view address = row[static_cast<std::size_t>(Column::address)]; !address.empty()) {
        writer.components("ADR", {"", "", address, "", "", "", ""});
    }
    if (const std::string_view email = row[static_cast<std::size_t>(Column::email_id)]; !email.empty()) {
        writer.text(v4 ? "EMAIL" : "EMAIL;TYPE=INTERNET", email);
    }
    if (const std::string_view dob = row[static_cast<std::size_t>(Column::dob)]; !dob.empty()) {
        const DateMemo::Birthday birthday = dates.read(dob);
        if (const std::string& bday = v4 ? birthday.v4 : birthday.v3; !bday.empty())
            writer.plain("BDAY", bday);
        if (birthday.keepText) writer.text("X-KORVALE-DOB", dob);
    }
    const std::array<std::pair<Column, std::string_view>, 3> phones{
        {{Column::H_PHONE, v4 ? "TEL;TYPE=home" : "TEL;TYPE=HOME"},
         {Column::W_PHONE, v4 ? "TEL;TYPE=work" : "TEL;TYPE=WORK"},
         {Column::cell_no, v4 ? "TEL;TYPE=cell" : "TEL;TYPE=CELL"}}};
    for (const auto& [column, property] : phones) {
        if (const std::string_view number = row[static_cast<std::size_t>(column)]; !number.empty()) {
            writer.text(property, number);
        }
    }
    if (const std::string_view remarks = row[static_cast<std::size_t>(Column::remarks)]; !remarks.empty())
        writer.text("NOTE", remarks);
    if (const std::string_view category = row[static_cast<std::size_t>(Column::CATEGORY)]; !category.empty())
        writer.list("CATEGORIES", category);
    // The writer saw every text: only a row that held a carriage return is looked through again.
    if (writer.takeCarriageReturn()) {
        for (std::size_t i = 0; i < kColumnCount; ++i) {
            if (row[i].find('\r') != std::string_view::npos)
                writeExact(writer, static_cast<Column>(i), row[i]);
        }
    }
    writer.end();
}

Contact contactFromCard(const Card& card, Extras extras) {
    CardMapper mapper(card, extras);
    for (std::size_t i = 0; i < card.properties.size(); ++i)
        mapper.add(card.properties[i], static_cast<int>(i));
    return mapper.finish();
}

CsvHeader readCsvHeader(const std::vector<std::string>& fields, std::size_t line) {
    CsvHeader header;
    std::array<bool, kColumnCount> named{};
    for (const std::string& field : fields) {
        const std::optional<Column> column = columnByName(field);
        if (column) {
            auto& seen = named[static_cast<std::size_t>(*column)];
            if (seen) throw FormatError(line, "the header names the column " + field + " twice");
            seen = true;
        }
        header.push_back(column);
    }
    if (!named[static_cast<std::size_t>(Column::Name)]) {
        throw FormatError(line, "the first line is neither BEGIN:VCARD nor a CSV header with a Name column");
    }
    return header;
}

Contact contactFromCsv(const CsvHeader& header, const std::vector<std::string>& headerFields,
                       std::vector<std::string>& fields) {
    Contact contact;
    contact.named = true;
    std::vector<std::string> extras;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (header[i]) {
            contact.record[*header[i]] = std::move(fields[i]);
        } else if (!fields[i].empty()) {
            extras.push_back(headerFields[i] + ": " + fields[i]);
            contact.inRemarks.push_back(headerFields[i]);
        }
    }
    if (!extras.empty()) {
        extras.insert(extras.begin(), contact.record[Column::remarks]);
        contact.record[Column::remarks] = joinNonEmpty(extras, "\n");
    }
    return contact;
}

}  // namespace korvale::exchange
