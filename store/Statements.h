#pragma once

// The SQL texts the store runs on CLIENT_RECORDS. The benchmark's SQLite floor runs these same texts.
namespace korvale::sql {

// The record set's statements list the nine columns in kColumnNames order, each as ?1 to ?9, after the
// rowid in results; ?10 is always the rowid.
inline constexpr const char* kFirstOfTable =
    "SELECT rowid, Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY "
    "FROM CLIENT_RECORDS ORDER BY rowid LIMIT 1";
inline constexpr const char* kNextOfTable =
    "SELECT rowid, Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY "
    "FROM CLIENT_RECORDS WHERE rowid > ?10 ORDER BY rowid LIMIT 1";
// Both seek through the Name index, whose entries are ordered by Name and then rowid.
inline constexpr const char* kFirstOfName =
    "SELECT rowid, Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY "
    "FROM CLIENT_RECORDS WHERE Name = ?1 ORDER BY rowid LIMIT 1";
inline constexpr const char* kNextOfName =
    "SELECT rowid, Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY "
    "FROM CLIENT_RECORDS WHERE Name = ?1 AND rowid > ?10 ORDER BY rowid LIMIT 1";
inline constexpr const char* kInsert =
    "INSERT INTO CLIENT_RECORDS (Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)";
inline constexpr const char* kChange =
    "UPDATE CLIENT_RECORDS SET Name = ?1, address = ?2, email_id = ?3, dob = ?4, H_PHONE = ?5, W_PHONE = ?6, "
    "cell_no = ?7, remarks = ?8, CATEGORY = ?9 WHERE rowid = ?10";
inline constexpr const char* kRemove = "DELETE FROM CLIENT_RECORDS WHERE rowid = ?10";

// The id of the history's newest version; 0 when it keeps none.
inline constexpr const char* kLastVersion = "SELECT coalesce(max(version), 0) FROM CLIENT_RECORDS_HISTORY";

// Every row in stored order, for whatever reads the whole book.
inline constexpr const char* kAllRows =
    "SELECT Name, address, email_id, dob, H_PHONE, W_PHONE, cell_no, remarks, CATEGORY FROM CLIENT_RECORDS "
    "ORDER BY rowid";

// The two seeks of Database::lastStoredName: any row without a Name, then the last stored row's Name.
inline constexpr const char* kAnyNullName = "SELECT 1 FROM CLIENT_RECORDS WHERE Name IS NULL LIMIT 1";
inline constexpr const char* kLastName = "SELECT Name FROM CLIENT_RECORDS ORDER BY rowid DESC LIMIT 1";

}  // namespace korvale::sql
