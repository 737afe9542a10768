#include "exchange/VCardWriter.h"

#include <array>

namespace korvale::exchange {

namespace {

constexpr std::size_t kLineOctets = 75;
constexpr std::string_view kCrlf = "\r\n";

bool continuesCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The letter that follows the backslash for each byte that needs an escape; 0 for every other byte.
// vCard has no escape for a carriage return of its own: a bare one would end the line for most readers,
// and a "\\r" comes back as those two characters from servers that rewrite cards. A carriage return is
// written as the line break it stands for, "\\n" (once for a CRLF); the exact text goes with the card
// in X-KORVALE-EXACT, which the mapping writes and reads.
constexpr std::array<char, 256> kEscapeLetter = [] {
    std::array<char, 256> letters{};
    letters['\\'] = '\\';
    letters[','] = ',';
    letters[';'] = ';';
    letters['\n'] = 'n';
    letters['\r'] = 'n';
    return letters;
}();

// Returns whether the value held a carriage return.
template <bool kList>
bool appendEscaped(std::string& out, std::string_view value) {
    bool carriageReturn = false;
    const char* plain = value.data();
    const char* const end = plain + value.size();
    for (const char* at = plain; at != end; ++at) {
        const char letter = kEscapeLetter[static_cast<unsigned char>(*at)];
        if (letter == 0) continue;
        if (kList && *at == ',') continue;  // between items
        out.append(plain, at);
        plain = at + 1;
        carriageReturn = carriageReturn || *at == '\r';
        if (*at == '\r' && at + 1 != end && at[1] == '\n') continue;               // the LF writes the break
        if (kList && *at == '\\' && at + 1 != end && at[1] == ',') ++at, ++plain;  // a comma in an item
        out += '\\';
        out += *at == ',' ? ',' : letter;
    }
    out.append(plain, end);
    return carriageReturn;
}

}  // namespace

void appendEscapedText(std::string& out, std::string_view value) {
    appendEscaped<false>(out, value);
}

void appendEscapedList(std::string& out, std::string_view column) {
    appendEscaped<true>(out, column);
}

void VCardWriter::begin() {
    out_ += "BEGIN:VCARD\r\n";
    out_ += version_ == VCardVersion::V4 ? "VERSION:4.0\r\n" : "VERSION:3.0\r\n";
}

void VCardWriter::end() {
    out_ += "END:VCARD\r\n";
}

void VCardWriter::text(std::string_view nameAndParameters, std::string_view value) {
    startLine(nameAndParameters);
    carriageReturn_ = appendEscaped<false>(out_, value) || carriageReturn_;
    endLine();
}

void VCardWriter::list(std::string_view nameAndParameters, std::string_view column) {
    startLine(nameAndParameters);
    carriageReturn_ = appendEscaped<true>(out_, column) || carriageReturn_;
    endLine();
}

void VCardWriter::components(std::string_view nameAndParameters,
                             std::initializer_list<std::string_view> parts) {
    startLine(nameAndParameters);
    bool first = true;
    for (const std::string_view part : parts) {
        if (!first) out_ += ';';
        first = false;
        carriageReturn_ = appendEscaped<false>(out_, part) || carriageReturn_;
    }
    endLine();
}

void VCardWriter::plain(std::string_view nameAndParameters, std::string_view value) {
    startLine(nameAndParameters);
    out_ += value;
    endLine();
}

void VCardWriter::startLine(std::string_view nameAndParameters) {
    lineStart_ = out_.size();
    out_ += nameAndParameters;
    out_ += ':';
}

void VCardWriter::endLine() {
    if (out_.size() - lineStart_ <= kLineOctets) {
        out_ += kCrlf;
        return;
    }
    folding_.assign(out_, lineStart_);
    out_.resize(lineStart_);
    // The first line holds 75 octets, every continuation a space and 74 more.
    std::size_t start = 0;
    std::size_t room = kLineOctets;
    while (folding_.size() - start > room) {
        std::size_t cut = start + room;
        while (cut > start && continuesCharacter(folding_[cut])) --cut;
        // Only bytes that are not UTF-8 at all could run this far; cut them where the limit falls.
        if (cut == start) cut = start + room;
        out_.append(folding_, start, cut - start);
        out_ += kCrlf;
        out_ += ' ';
        start = cut;
        room = kLineOctets - 1;
    }
    out_.append(folding_, start);
    out_ += kCrlf;
}

void VCardWriter::card(const Card& card) {
    out_ += "BEGIN:VCARD\r\n";
    for (const CardProperty& p : card.properties) property(p);
    out_ += "END:VCARD\r\n";
}

void VCardWriter::property(const CardProperty& p) {
    if (!p.original.empty()) {
        out_ += p.original;
        return;
    }
    lineStart_ = out_.size();
    if (!p.group.empty()) out_ += p.group + '.';
    out_ += p.name;
    for (const CardParameter& parameter : p.parameters) {
        // The value is UTF-8 text now: the encodings it was read in no longer apply.
        if (parameter.name == "CHARSET" || (parameter.name == "ENCODING" && !p.binary)) continue;
        out_ += ';';
        out_ += parameter.name;
        out_ += '=';
        const bool quote = parameter.value.find_first_of(":;") != std::string::npos;
        if (quote) out_ += '"';
        out_ += parameter.value;
        if (quote) out_ += '"';
    }
    out_ += ':';
    out_ += p.value;
    endLine();
}

std::string cardText(const Card& card) {
    std::string text;
    VCardWriter(text, card.version == "4.0" ? VCardVersion::V4 : VCardVersion::V3).card(card);
    return text;
}

}  // namespace korvale::exchange
