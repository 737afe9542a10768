#include "exchange/VCardReader.h"

#include <iconv.h>

#include <algorithm>
#include <array>

#include "exchange/FormatError.h"
#include "exchange/Utf8.h"

namespace korvale::exchange {

namespace {

constexpr std::array<std::string_view, 3> kVersions{"2.1", "3.0", "4.0"};
constexpr std::array<std::string_view, 4> kBareEncodings{"QUOTED-PRINTABLE", "BASE64", "8BIT", "7BIT"};
constexpr std::size_t kQuotedLength = 40;

char upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

void makeUpper(std::string& text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return upper(c); });
}

std::string upper(std::string_view text) {
    std::string out(text);
    makeUpper(out);
    return out;
}

bool equalsUpper(std::string_view text, std::string_view upperCase) {
    return text.size() == upperCase.size() && std::equal(text.begin(), text.end(), upperCase.begin(),
                                                         [](char a, char b) { return upper(a) == b; });
}

bool containsUpper(std::string_view text, std::string_view upperCase) {
    for (std::size_t i = 0; i + upperCase.size() <= text.size(); ++i) {
        if (equalsUpper(text.substr(i, upperCase.size()), upperCase)) return true;
    }
    return false;
}

// Where `a` or `b` first stands from `from` on, or npos. string_view::find_first_of looks each byte up in
// the set with a call of its own, which for line ends came to a tenth of an import's time.
std::size_t findEither(std::string_view text, char a, char b, std::size_t from = 0) {
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] == a || text[i] == b) return i;
    }
    return std::string_view::npos;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::string quoted(std::string_view line) {
    return "\"" + std::string(line.substr(0, kQuotedLength)) + (line.size() > kQuotedLength ? "...\"" : "\"");
}

bool isNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char u = upper(c);
    return (u >= 'A' && u <= 'F') ? u - 'A' + 10 : -1;
}

std::string decodeQuotedPrintable(std::string_view value, std::size_t line) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '=') {
            out += value[i];
            continue;
        }
        if (i + 1 == value.size()) break;  // a soft line break at the very end of the file
        const int high = i + 2 < value.size() ? hexValue(value[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(value[i + 2]) : -1;
        if (low < 0) throw FormatError(line, quoted(value.substr(i, 3)) + " is not quoted-printable");
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::string convertToUtf8(const std::string& bytes, const std::string& charset, std::size_t line) {
    const iconv_t converter = ::iconv_open("UTF-8", charset.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) throw FormatError(line, "unknown CHARSET " + charset);
    // A character takes at most four bytes in UTF-8 and at least one in any other encoding.
    std::string out(bytes.size() * 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* to = out.data();
    std::size_t toLeft = out.size();
    const std::size_t done = ::iconv(converter, &in, &inLeft, &to, &toLeft);
    ::iconv_close(converter);
    if (done == static_cast<std::size_t>(-1))
        throw FormatError(line, "the value is not " + charset + " text");
    out.resize(out.size() - toLeft);
    return out;
}

bool isUtf8Name(std::string_view charset) {
    const std::string name = upper(charset);
    return name == "UTF-8" || name == "UTF8" || name == "US-ASCII";
}

void decode(CardProperty& property) {
    std::string charset;
    const auto refuseNul = [&] {
        // A NUL would end the text in most programs that read the book, and no column could show it.
        if (property.value.find('\0') != std::string::npos)
            throw FormatError(property.line, "the value of " + property.name + " holds a NUL byte");
    };
    for (const CardParameter& parameter : property.parameters) {
        const std::string_view value = parameter.value;
        if (parameter.name == "ENCODING" && equalsUpper(value, "QUOTED-PRINTABLE")) {
            property.value = decodeQuotedPrintable(property.value, property.line);
        } else if (parameter.name == "ENCODING" &&
                   (equalsUpper(value, "B") || equalsUpper(value, "BASE64"))) {
            property.binary = true;
        } else if (parameter.name == "CHARSET") {
            charset = parameter.value;
        }
    }
    refuseNul();
    if (property.binary || equalsUpper(std::string_view(property.value).substr(0, 5), "DATA:")) {
        property.binary = true;
        return;
    }
    if (!charset.empty() && !isUtf8Name(charset)) {
        property.value = convertToUtf8(property.value, charset, property.line);
    }
    if (!isUtf8(property.value)) {
        throw FormatError(property.line, "the value of " + property.name +
                                             " is not UTF-8 text (a CHARSET parameter would say what it is)");
    }
}

}  // namespace

VCardReader::VCardReader(std::string_view text) : text_(text) {
    if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
}

bool VCardReader::physicalLine(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const std::size_t end = std::min(findEither(text_, '\r', '\n', pos_), text_.size());
    line = text_.substr(pos_, end - pos_);
    pos_ = end;
    if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    ++lineCount_;
    return true;
}

bool VCardReader::logicalLine(std::size_t& number) {
    std::string_view physical;
    const std::size_t start = pos_;
    if (!physicalLine(physical)) return false;
    number = lineCount_;
    line_.assign(physical);
    // Parameters, and with them quoted-printable, stand between the first ";" and the ":".
    const std::size_t parameters = findEither(physical, ';', ':');
    const bool quotedPrintable = parameters != std::string_view::npos && physical[parameters] == ';' &&
                                 containsUpper(physical.substr(0, physical.find(':')), "QUOTED-PRINTABLE");
    while (pos_ < text_.size()) {
        // A quoted-printable line that ends in "=" goes on in the next line, whatever that begins with.
        if (quotedPrintable && !line_.empty() && line_.back() == '=') {
            physicalLine(physical);
            line_.pop_back();
            line_ += physical;
        } else if (text_[pos_] == ' ' || text_[pos_] == '\t') {
            physicalLine(physical);
            line_ += physical.substr(1);
        } else {
            break;
        }
    }
    original_ = text_.substr(start, pos_ - start);
    return true;
}

void VCardReader::parseLine(std::size_t number, CardProperty& property) const {
    const std::string_view line = line_;
    property.line = number;
    property.binary = false;
    property.original.clear();
    property.group.clear();
    std::size_t i = findEither(line, ';', ':');
    std::string_view name = line.substr(0, i);
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos) {
        property.group.assign(name.substr(0, dot));
        name.remove_prefix(dot + 1);
    }
    if (i == std::string_view::npos || name.empty() ||
        !std::all_of(name.begin(), name.end(), isNameCharacter)) {
        throw FormatError(number, quoted(line) + " is not a vCard line (NAME:value)");
    }
    property.name.assign(name);
    makeUpper(property.name);
    std::size_t parameters = 0;
    while (i < line.size() && line[i] == ';') {
        if (parameters == property.parameters.size()) property.parameters.emplace_back();
        CardParameter& parameter = property.parameters[parameters++];
        const std::size_t start = ++i;
        while (i < line.size() && line[i] != '=' && line[i] != ';' && line[i] != ':') ++i;
        parameter.name.assign(line.substr(start, i - start));
        makeUpper(parameter.name);
        if (i == line.size() || line[i] != '=') {
            // A bare word is the value of TYPE, or of ENCODING when it names one.
            const bool encoding = std::find(kBareEncodings.begin(), kBareEncodings.end(), parameter.name) !=
                                  kBareEncodings.end();
            parameter.value.swap(parameter.name);
            parameter.name.assign(encoding ? "ENCODING" : "TYPE");
            continue;
        }
        parameter.value.clear();
        for (++i; i < line.size() && line[i] != ';' && line[i] != ':';) {
            if (line[i] != '"') {
                parameter.value += line[i++];
                continue;
            }
            const std::size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos)
                throw FormatError(number, "a quoted parameter value is never closed");
            parameter.value += line.substr(i + 1, close - i - 1);
            i = close + 1;
        }
    }
    property.parameters.resize(parameters);
    if (i == line.size())
        throw FormatError(number, "no \":\" between the name and the value of " + property.name);
    property.value.assign(line.substr(i + 1));
}

// The properties are parsed into those of the card before, whose strings keep their memory: a file of a
// million cards is read without allocating for every value.
bool VCardReader::next(Card& card) {
    card.version = "3.0";
    std::size_t number = 0;
    do {
        if (!logicalLine(number)) {
            card.properties.clear();
            return false;
        }
    } while (trim(line_).empty());
    parseLine(number, begin_);
    if (begin_.name != "BEGIN" || !equalsUpper(trim(begin_.value), "VCARD")) {
        throw FormatError(number, "expected BEGIN:VCARD, found " + quoted(line_));
    }
    card.line = number;
    const auto begun = [&card] { return " begun on line " + std::to_string(card.line); };
    std::size_t used = 0;
    for (;;) {
        if (!logicalLine(number)) throw FormatError(lineCount_, "the card" + begun() + " has no END:VCARD");
        if (trim(line_).empty()) continue;
        if (used == card.properties.size()) card.properties.emplace_back();
        CardProperty& property = card.properties[used];
        parseLine(number, property);
        if (property.name == "END") {
            if (!equalsUpper(trim(property.value), "VCARD")) throw FormatError(number, "expected END:VCARD");
            card.properties.resize(used);
            // A 2.1 card's text (quoted-printable, CHARSET, bare types) is no 3.0 or 4.0 text: a
            // writer writes its properties afresh.
            if (card.version == "2.1") {
                for (CardProperty& p : card.properties) p.original.clear();
            }
            return true;
        }
        if (property.name == "BEGIN") {
            throw FormatError(number, "a card begins inside the card" + begun() + ", which has no END:VCARD");
        }
        if (property.name == "VERSION") {
            card.version = trim(property.value);
            if (std::find(kVersions.begin(), kVersions.end(), card.version) == kVersions.end()) {
                throw FormatError(number, "vCard version " + card.version + " is not 2.1, 3.0 or 4.0");
            }
        } else {
            decode(property);
        }
        if (keepOriginals_) property.original.assign(original_);
        ++used;
    }
}

std::string unescape(std::string_view raw, bool full) {
    if (raw.find('\\') == std::string_view::npos) return std::string(raw);
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        char stands = 0;
        if (raw[i] == '\\' && i + 1 < raw.size()) {
            switch (raw[i + 1]) {
                case ';':
                    stands = ';';
                    break;
                case ',':
                    stands = full ? ',' : 0;
                    break;
                case '\\':
                    stands = full ? '\\' : 0;
                    break;
                case 'n':
                case 'N':
                    stands = full ? '\n' : 0;
                    break;
                case 'r':
                    stands = full ? '\r' : 0;
                    break;
                default:
                    break;
            }
        }
        if (stands != 0) {
            out += stands;
            ++i;
        } else {
            out += raw[i];
        }
    }
    return out;
}

std::vector<std::string_view> splitEscaped(std::string_view raw, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\') {
            ++i;
        } else if (raw[i] == separator) {
            parts.push_back(raw.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(raw.substr(start));
    return parts;
}

}  // namespace korvale::exchange

namespace korvale::exchange {

bool looksLikeVCard(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && equalsUpper(text.substr(start, 11), "BEGIN:VCARD");
}

Card readCard(std::string_view text) {
    VCardReader reader(text);
    Card card;
    if (!reader.next(card)) throw FormatError(1, "no BEGIN:VCARD");
    return card;
}

}  // namespace korvale::exchange
