#pragma once

#include <string>

namespace korvale::sync {

// What the server's listing says of one card since the book last synced.
enum class ServerSide {
    // Not listed, or listed with the tag the book knows.
    Unchanged,
    // Listed with another tag (or new), and its card was read.
    Changed,
    // Listed with another tag (or new), and its card could not be read.
    Unreadable,
    // Gone from the server.
    Removed,
};

// Everything known of one contact: the book's row, the server's listing, the last synced state.
struct ContactState {
    // The row in the book, and the digest of its values.
    bool inBook = false;
    std::string bookDigest;
    ServerSide server = ServerSide::Unchanged;
    // The digest of the values of the server's card, when it was read.
    std::string serverDigest;
    // Whether the book has held this card's values: it knows the card and has either a row for it or
    // the server's tag.
    bool known = false;
    // Whether the server confirmed the card with a tag; a new card on its way out has none yet.
    bool confirmed = false;
    // The digest of the values last synced; empty when they are not known (forgotten).
    std::string lastDigest;
};

enum class SyncAction {
    // Both sides as last synced.
    Nothing,
    // Both sides hold the same values: only the server's tag is recorded.
    KeepTag,
    // The server's card into the book: a new row, or over a row that did not change.
    TakeServer,
    // The row goes out as a new card.
    SendNew,
    // The row goes out over the server's card, which did not change (bar its tag).
    SendRow,
    // Deleted on the server, unchanged in the book: the row is deleted.
    DeleteHere,
    // Deleted in the book, unchanged on the server: the card is deleted.
    DeleteThere,
    // Changed on both sides: the server's version into the row, the book's kept in the history.
    Conflict,
    // Deleted in the book, changed on the server: the server's version comes back as a row.
    ConflictDeletedHere,
    // Deleted on the server, changed in the book: the row is kept and sent back as a new card.
    SendBack,
    // Gone on both sides: the book stops knowing the card.
    Forget,
    // The server's card cannot be read: its tag is not recorded, so that it is read again next time.
    LeavePending,
};

// The one action that brings the contact into step. Pure: the same state gives the same action.
SyncAction decide(const ContactState& state);

}  // namespace korvale::sync
