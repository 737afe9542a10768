#include "tools/korvale-db/VCardWriter.h"

namespace korvale::tool {

namespace {

constexpr std::size_t kLineOctets = 75;
constexpr std::string_view kCrlf = "\r\n";

bool continuesCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

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
    fold();
}

void VCardWriter::components(std::string_view nameAndParameters, std::initializer_list<std::string_view> parts) {
    startLine(nameAndParameters);
    bool first = true;
    for (const std::string_view part : parts) {
        if (!first) line_ += ';';
        first = false;
        appendEscaped(part);
    }
    fold();
}

void VCardWriter::plain(std::string_view nameAndParameters, std::string_view value) {
    startLine(nameAndParameters);
    line_ += value;
    fold();
}

void VCardWriter::startLine(std::string_view nameAndParameters) {
    line_.assign(nameAndParameters);
    line_ += ':';
}

void VCardWriter::appendEscaped(std::string_view value) {
    for (const char c : value) {
        switch (c) {
            case '\\': line_ += "\\\\"; break;
            case ',': line_ += "\\,"; break;
            case ';': line_ += "\\;"; break;
            case '\n': line_ += "\\n"; break;
            // vCard has no escape for a carriage return of its own, and a bare one would end the line
            // for most readers; "\r" is read back by this tool and shown as it is by others.
            case '\r': line_ += "\\r"; break;
            default: line_ += c;
        }
    }
}

void VCardWriter::fold() {
    // The first line holds 75 octets, every continuation a space and 74 more.
    std::size_t start = 0;
    std::size_t room = kLineOctets;
    while (line_.size() - start > room) {
        std::size_t cut = start + room;
        while (cut > start && continuesCharacter(line_[cut])) --cut;
        // Only bytes that are not UTF-8 at all could run this far; cut them where the limit falls.
        if (cut == start) cut = start + room;
        out_.append(line_, start, cut - start);
        out_ += kCrlf;
        out_ += ' ';
        start = cut;
        room = kLineOctets - 1;
    }
    out_.append(line_, start);
    out_ += kCrlf;
}

}  // namespace korvale::tool
