#include "exchange/Printable.h"


namespace korvale::exchange {

namespace {

// "\x1b" for a control byte, "\u009b" for a C1 control: `lead`, then the low byte in two hex digits.
void appendEscape(std::string& out, std::string_view lead, unsigned code) {
    constexpr std::string_view kHex = "0123456789abcdef";
    out += lead;
    out += kHex[(code >> 4) & 0xF];
    out += kHex[code & 0xF];
}

}  // namespace

std::string printable(std::string_view text, LineBreaks breaks) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte == '\n' && breaks == LineBreaks::Kept) {
            shown += '\n';
        } else if (byte < 0x20 || byte == 0x7F) {
            appendEscape(shown, "\\x", byte);
        } else if (byte == 0xC2 && next >= 0x80 && next < 0xA0) {
            // U+0080 to U+009F in UTF-8: the C1 controls, CSI among them.
            appendEscape(shown, "\\u00", next);
            ++i;
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown;
}

}  // namespace korvale::exchange
