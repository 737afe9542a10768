#pragma once

#include <filesystem>

namespace korvale {

// Writes a new, empty book at `file`: CLIENT_RECORDS with its nine text columns in kColumnNames order,
// the index on Name that look-ups and lastStoredName seek through, the history (HistorySchema.h), the
// contacts' UIDs (ContactUids.h), the sync state (SyncState.h), WAL journal. The file is created with mode
// 0600 and is never readable by others, not even while it is being written. An existing file is left
// untouched. On failure nothing is left behind; the StoreError names the file and the cause.
void createBook(const std::filesystem::path& file);

// Writes a new, empty book in the folder `dir`, which must exist, as createBook does; returns its file.
std::filesystem::path createBookIn(const std::filesystem::path& dir);

}  // namespace korvale
