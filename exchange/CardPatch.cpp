// The cards the book writes for a server: a new one for a row, and the server's own card brought up to
// date with a row, every property the nine columns do not own left as the server had it.

#include <QByteArray>
#include <QDateTime>

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>

#include "exchange/ContactMapping.h"
#include "exchange/VCardReader.h"

namespace korvale::exchange {

namespace {

constexpr std::string_view kProductId = "-//KORVALE//KORVALE contact book//EN";

std::string escaped(std::string_view text) {
    std::string out;
    appendEscapedText(out, text);
    return out;
}

// N's value for a name: the family name after the last space, the given names before it.
std::string nameParts(std::string_view name) {
    const std::size_t space = name.rfind(' ');
    if (space == std::string_view::npos) return escaped(name) + ";;;;";
    return escaped(name.substr(space + 1)) + ';' + escaped(name.substr(0, space)) + ";;;";
}

CardProperty made(std::string name, std::vector<CardParameter> parameters, std::string value) {
    CardProperty p;
    p.name = std::move(name);
    p.parameters = std::move(parameters);
    p.value = std::move(value);
    return p;
}

// Changes a card's properties in place, then drops those removed and appends those added, so that
// the indices a contact holds stay good until the end.
class Patch {
public:
    explicit Patch(Card& card) : card_(card), gone_(card.properties.size(), false) {}

    // Gives the property at `index` a value, or removes it (with its group's label) when there is none.
    void set(int index, const std::optional<std::string>& value) {
        CardProperty& p = card_.properties[static_cast<std::size_t>(index)];
        if (value) {
            p.setValue(*value);
            return;
        }
        gone_[static_cast<std::size_t>(index)] = true;
        if (p.group.empty()) return;
        for (std::size_t i = 0; i < card_.properties.size(); ++i) {
            const CardProperty& other = card_.properties[i];
            if (other.group == p.group && other.name == "X-ABLABEL") gone_[i] = true;
        }
    }

    // The first property of a name takes the value and any other of that name goes; with no value all
    // go; with none of that name, `fresh` is added.
    void only(std::string_view name, const std::optional<std::string>& value, CardProperty fresh) {
        bool first = true;
        for (std::size_t i = 0; i < card_.properties.size(); ++i) {
            if (card_.properties[i].name != name || gone_[i]) continue;
            set(static_cast<int>(i), first ? value : std::nullopt);
            first = false;
        }
        if (first && value) add(std::move(fresh));
    }

    void add(CardProperty p) { added_.push_back(std::move(p)); }

    void remove(const std::function<bool(const CardProperty&)>& which) {
        for (std::size_t i = 0; i < card_.properties.size(); ++i) {
            if (which(card_.properties[i])) gone_[i] = true;
        }
    }

    void finish() {
        std::vector<CardProperty> kept;
        kept.reserve(card_.properties.size() + added_.size());
        for (std::size_t i = 0; i < card_.properties.size(); ++i) {
            if (!gone_[i]) kept.push_back(std::move(card_.properties[i]));
        }
        for (CardProperty& p : added_) kept.push_back(std::move(p));
        card_.properties = std::move(kept);
    }

private:
    Card& card_;
    std::vector<bool> gone_;
    std::vector<CardProperty> added_;
};

std::optional<std::string> unlessEmpty(const std::string& column, std::string value) {
    return column.empty() ? std::nullopt : std::optional<std::string>(std::move(value));
}

}  // namespace

Card newCard(const ClientRecord& record, VCardVersion version, std::string_view uid, CardUse use) {
    RowTexts row;
    for (std::size_t i = 0; i < kColumnCount; ++i) row[i] = record.values[i];
    std::string text;
    VCardWriter writer(text, version);
    DateMemo dates;
    writeCard(writer, row, dates, uid);
    Card card = readCard(text);
    if (use == CardUse::Server) {
        const std::string revision =
            QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toStdString();
        // After BEGIN, VERSION and UID.
        const auto at = card.properties.begin() + 2;
        card.properties.insert(at, {made("PRODID", {}, std::string(kProductId)), made("REV", {}, revision)});
    }
    return card;
}

void patchCard(Card& card, const ClientRecord& now) {
    const Contact was = contactFromCard(card, Extras::KeepOnCard);
    const bool v4 = card.version == "4.0";
    const auto changed = [&](Column c) { return was.record[c] != now[c]; };
    const auto from = [&](Column c) { return was.from[static_cast<std::size_t>(c)]; };
    Patch patch(card);

    if (changed(Column::Name)) {
        const std::string& name = now[Column::Name];
        patch.only("FN", escaped(name), made("FN", {}, escaped(name)));
        patch.only("N", nameParts(name), made("N", {}, nameParts(name)));
    }
    if (const std::string& street = now[Column::address]; changed(Column::address)) {
        if (from(Column::address) >= 0) {
            // The street alone changes; the other parts of the address stay as the card had them.
            std::vector<std::string> parts;
            for (const std::string_view part :
                 splitEscaped(card.properties[static_cast<std::size_t>(from(Column::address))].value, ';'))
                parts.emplace_back(part);
            parts.resize(std::max<std::size_t>(parts.size(), 7));
            parts[2] = escaped(street);
            std::string value;
            for (std::size_t i = 0; i < parts.size(); ++i) value += (i ? ";" : "") + parts[i];
            patch.set(from(Column::address), unlessEmpty(street, value));
        } else if (!street.empty()) {
            patch.add(made("ADR", {}, ";;" + escaped(street) + ";;;;"));
        }
    }
    if (const std::string& email = now[Column::email_id]; changed(Column::email_id)) {
        if (from(Column::email_id) >= 0) {
            patch.set(from(Column::email_id), unlessEmpty(email, escaped(email)));
        } else if (!email.empty()) {
            patch.add(made(
                "EMAIL", v4 ? std::vector<CardParameter>{} : std::vector<CardParameter>{{"TYPE", "INTERNET"}},
                escaped(email)));
        }
    }
    const std::array<std::pair<Column, std::string_view>, 3> phones{
        {{Column::H_PHONE, "home"}, {Column::W_PHONE, "work"}, {Column::cell_no, "cell"}}};
    for (const auto& [column, type] : phones) {
        if (!changed(column)) continue;
        const std::string& number = now[column];
        if (from(column) >= 0) {
            const CardProperty& p = card.properties[static_cast<std::size_t>(from(column))];
            // A number written as a tel: URI stays one.
            const std::string scheme = p.value.starts_with("tel:") ? "tel:" : "";
            patch.set(from(column), unlessEmpty(number, scheme + escaped(number)));
        } else if (!number.empty()) {
            std::string typeName(type);
            if (!v4) std::transform(typeName.begin(), typeName.end(), typeName.begin(), ::toupper);
            patch.add(made("TEL", {{"TYPE", typeName}}, escaped(number)));
        }
    }
    if (const std::string& dob = now[Column::dob]; changed(Column::dob)) {
        DateMemo dates;
        const DateMemo::Birthday birthday = dob.empty() ? DateMemo::Birthday{} : dates.read(dob);
        const std::string& bday = v4 ? birthday.v4 : birthday.v3;
        patch.only("BDAY", unlessEmpty(bday, bday), made("BDAY", {}, bday));
        const std::optional<std::string> text =
            birthday.keepText && !dob.empty() ? std::optional<std::string>(escaped(dob)) : std::nullopt;
        patch.only("X-KORVALE-DOB", text, made("X-KORVALE-DOB", {}, text.value_or("")));
    }
    if (const std::string& remarks = now[Column::remarks]; changed(Column::remarks)) {
        patch.only("NOTE", unlessEmpty(remarks, escaped(remarks)), made("NOTE", {}, escaped(remarks)));
    }
    if (const std::string& categories = now[Column::CATEGORY]; changed(Column::CATEGORY)) {
        std::string list;
        appendEscapedList(list, categories);
        patch.only("CATEGORIES", unlessEmpty(categories, list), made("CATEGORIES", {}, list));
    }
    // The exact text of a changed column goes with it, or goes when the column holds no carriage return.
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        const Column column = static_cast<Column>(i);
        if (!changed(column)) continue;
        patch.remove([&](const CardProperty& p) {
            return p.name == "X-KORVALE-EXACT" &&
                   std::any_of(p.parameters.begin(), p.parameters.end(), [&](const CardParameter& q) {
                       return q.name == "X-COLUMN" && columnByName(q.value) == column;
                   });
        });
        if (now[column].find('\r') == std::string::npos) continue;
        std::string text;
        VCardWriter writer(text, v4 ? VCardVersion::V4 : VCardVersion::V3);
        writeExact(writer, column, now[column]);
        Card one = readCard("BEGIN:VCARD\r\n" + text + "END:VCARD\r\n");
        one.properties.front().original.clear();
        patch.add(std::move(one.properties.front()));
    }
    patch.finish();
}

}  // namespace korvale::exchange
