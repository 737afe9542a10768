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
// vCard has no escape for a carriage return of its own, and a bare one would end the line for most
// readers: "\\r" is read back by this tool and shown as it is by others.
constexpr std::array<char, 256> kEscapeLetter = [] {
    std::array<char, 256> letters{};
    letters['\\'] = '\\';
    letters[','] = ',';
    letters[';'] = ';';
    letters['\n'] = 'n';
    letters['\r'] = 'r';
    return letters;
}();

}  // namespace

void VCardWriter::begin() {
    out_ += "BEGIN:VCARD\r\n";
    out_ += version_ == VCardVersion::V4 ? "VERSION:4.0\r\n" : "VERSION:3.0\r\n";
}

void VCardWriter::end() {
    out_ += "END:VCARD\r\n";
}

void VCardWriter::text(std::string_view nameAndParameters, std::string_view value) {
    startLine(nameAndParameters);
    appendEscaped(value);
    endLine();
}

void VCardWriter::components(std::string_view nameAndParameters,
                             std::initializer_list<std::string_view> parts) {
    startLine(nameAndParameters);
    bool first = true;
    for (const std::string_view part : parts) {
        if (!first) out_ += ';';
        first = false;
        appendEscaped(part);
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

void VCardWriter::appendEscaped(std::string_view value) {
    const char* plain = value.data();
    const char* const end = plain + value.size();
    for (const char* at = plain; at != end; ++at) {
        const char letter = kEscapeLetter[static_cast<unsigned char>(*at)];
        if (letter == 0) continue;
        out_.append(plain, at);
        out_ += '\\';
        out_ += letter;
        plain = at + 1;
    }
    out_.append(plain, end);
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

}  // namespace korvale::exchange
