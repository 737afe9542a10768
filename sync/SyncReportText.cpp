#include "sync/SyncReportText.h"

#include <sstream>

namespace korvale::sync {

namespace {
std::string contacts(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " contact" : " contacts");
}
}  // namespace

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // C1 controls are U+0080 to U+009F, in UTF-8 0xC2 followed by 0x80 to 0x9F.
        const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (c < 0x20 || c == 0x7F || c1) {
            out += '?';
            if (c1) ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string syncReportText(const SyncReport& report, const std::string& dir) {
    std::ostringstream out;
    out << "Address book: " << printable(report.addressBook) << '\n';
    if (report.massDelete) {
        out << "Not applied: the server's list would delete " << contacts(report.massDelete->first)
            << " of the " << report.massDelete->second << " synced with it in the book, which looks like a "
            << "server that lost or hid its cards rather than deletes. Nothing was changed; korvale-db sync "
            << "--allow-mass-delete applies such a list.\n";
    } else {
        out << "Came in: " << contacts(report.newIn + report.changedIn) << " (" << report.newIn << " new, "
            << report.changedIn << " changed). Went out: " << contacts(report.newOut + report.changedOut)
            << " (" << report.newOut << " new, " << report.changedOut
            << " changed).\nDeleted in the book as on the server: " << contacts(report.deletedInBook)
            << ". Deleted on the server as in the book: " << contacts(report.deletedOnServer) << ".\n";
    }
    for (const auto& conflict : report.conflicts) {
        out << "Conflict: " << printable(conflict.name)
            << " changed in the book and on the server; the row holds the "
            << "server's version, the book's is kept as version " << conflict.version
            << " (korvale-db restore " << dir << ' ' << conflict.version << " brings it back).\n";
    }
    for (const std::string& name : report.broughtBack) {
        out << "Conflict: " << printable(name) << " was deleted in the book but changed on the server; the "
            << "server's version is back in the book, the deleted one is kept in the history (korvale-db "
            << "history " << dir << " lists it).\n";
    }
    for (const std::string& name : report.sentBack) {
        out << "Conflict: " << printable(name)
            << " was deleted on the server but changed in the book; it was "
            << "kept and sent back to the server.\n";
    }
    for (const std::string& name : report.deferred) {
        out << "Not sent: " << printable(name)
            << " changed on the server meanwhile; the next sync takes it up.\n";
    }
    for (const auto& card : report.unreadable) {
        out << "Not read: the card " << printable(card.href) << " cannot be read (" << printable(card.reason)
            << "); it is left on the server and read again by the next sync.\n";
    }
    for (const auto& lost : report.notKept) {
        out << "Not kept: " << printable(lost.name) << " went to the server without " << printable(lost.what)
            << ".\n";
    }
    const std::size_t conflicts =
        report.conflicts.size() + report.broughtBack.size() + report.sentBack.size();
    out << conflicts << (conflicts == 1 ? " conflict, " : " conflicts, ") << report.requests
        << (report.requests == 1 ? " request" : " requests") << " to the server.\n";
    return out.str();
}

}  // namespace korvale::sync
