#include "tools/korvale-db/SyncReport.h"

namespace korvale::tool {

namespace {
std::string contacts(int n) {
    return std::to_string(n) + (n == 1 ? " contact" : " contacts");
}
}  // namespace

void SyncReport::print(std::ostream& out, const std::string& dir) const {
    out << "Came in: " << contacts(newIn + changedIn) << " (" << newIn << " new, " << changedIn
        << " changed). Went out: " << contacts(newOut + changedOut) << " (" << newOut << " new, "
        << changedOut << " changed).\nDeleted in the book as on the server: " << contacts(deletedInBook)
        << ". Deleted on the server as in the book: " << contacts(deletedOnServer) << ".\n";
    for (const Conflict& conflict : conflicts) {
        out << "Conflict: " << conflict.name << " changed in the book and on the server; the row holds the "
            << "server's version, the book's is kept as version " << conflict.version
            << " (korvale-db restore " << dir << ' ' << conflict.version << " brings it back).\n";
    }
    for (const std::string& name : sentBack) {
        out << "Conflict: " << name << " was deleted on the server but changed in the book; it was kept and "
            << "sent back to the server.\n";
    }
    for (const std::string& name : deferred) {
        out << "Not sent: " << name << " changed on the server meanwhile; the next sync takes it up.\n";
    }
    out << conflicts.size() + sentBack.size()
        << (conflicts.size() + sentBack.size() == 1 ? " conflict, " : " conflicts, ") << requests
        << (requests == 1 ? " request" : " requests") << " to the server.\n";
}

}  // namespace korvale::tool
