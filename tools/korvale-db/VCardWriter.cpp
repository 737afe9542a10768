#include "tools/korvale-db/VCardWriter.h"

#include <cstdint>
#include <cstring>

namespace korvale::tool {

namespace {

constexpr std::size_t kLineOctets = 75;
constexpr std::string_view kCrlf = "\r\n";

bool continuesCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Whether one of the eight bytes of `word` needs an escape (a zero byte in word ^ c..c marks a c).
bool needsEscape(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
    std::uint64_t found = 0;
    for (const unsigned char c : {'\\', ',', ';', '\n', '\r'}) {
        const std::uint64_t x = word ^ (kOnes * c);
        found |= (x - kOnes) & ~x & kHighs;
    }
    return found != 0;
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
    std::size_t plain = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        // Most texts need no escape at all: eight bytes are passed over at a time.
        for (std::uint64_t word = 0; i + sizeof word <= value.size(); i += sizeof word) {
            std::memcpy(&word, value.data() + i, sizeof word);
            if (needsEscape(word)) break;
        }
        if (i == value.size()) break;
        const char* escape = nullptr;
        switch (value[i]) {
            case '\\':
                escape = "\\\\";
                break;
            case ',':
                escape = "\\,";
                break;
            case ';':
                escape = "\\;";
                break;
            case '\n':
                escape = "\\n";
                break;
            // vCard has no escape for a carriage return of its own, and a bare one would end the line
            // for most readers; "\r" is read back by this tool and shown as it is by others.
            case '\r':
                escape = "\\r";
                break;
            default:
                continue;
        }
        out_.append(value, plain, i - plain);
        out_ += escape;
        plain = i + 1;
    }
    out_.append(value, plain);
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

}  // namespace korvale::tool
