#pragma once

#include <SQLiteCpp/Database.h>

namespace korvale {

// What `korvale-db sync` knows of the server, kept in the book beside the contacts so that it commits
// together with them:
//   SYNC_SERVER, one row: the URL the sync was given, the address book it leads to, and the server's
//     sync-token once everything it covers is in the book (NULL before the first full sync), and the
//     user name the server knows (store/SyncAccount.h).
//   SYNC_CARDS, one row per card: its href on the server, the rowid of the contact it holds (NULL once
//     the row was deleted in the book), its entity tag (NULL while a new card is on its way out and the
//     server has not yet confirmed it), and a digest of the nine values the card holds as far as the
//     book knows, and the card's UID. A row whose values no longer give that digest changed in the book
//     since.
// The application never reads them; a row it changes or deletes is found by comparing digests.
void addSyncState(SQLite::Database& db);

// Whether both tables are there, with every column.
bool hasSyncState(SQLite::Database& db);

}  // namespace korvale
