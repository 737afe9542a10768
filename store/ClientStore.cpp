#include "store/ClientStore.h"

#include "store/DbEngine.h"

namespace korvale {

namespace {
constexpr const char* kNotOpened = "No book is open: the store has not been opened";
}

std::filesystem::path ClientStore::bookPath(const std::filesystem::path& appDir) {
    return appDir / kBookFileName;
}

void ClientStore::open(const std::filesystem::path& appDir, const RecordSource& source) {
    DbEngine& engine = DbEngine::instance();
    // Whatever was held before goes first: a failed open must not leave the previous book behind
    // for later steps to write into.
    rows_.reset();
    database_.reset();
    openFailure_.reset();
    try {
        database_.emplace(engine.OpenDatabase(bookPath(appDir)));
        rows_.emplace(database_->OpenRecordset(source));
    } catch (const StoreError& e) {
        openFailure_ = e;
        throw;
    }
}

Database& ClientStore::database() {
    if (!database_) {
        throw openFailure_ ? *openFailure_ : StoreError(kNotOpened);
    }
    return *database_;
}

Recordset& ClientStore::rows() {
    if (!rows_) {
        throw openFailure_ ? *openFailure_ : StoreError(kNotOpened);
    }
    return *rows_;
}

void ClientStore::lookUp(const std::string& name) {
    // Opened aside and moved in only on success, so a failed look-up keeps the previous set.
    Recordset found = database().OpenRecordset(RecordSource::byName(name));
    rows_ = std::move(found);
}

std::optional<std::string> ClientStore::walkNames() {
    Recordset& set = rows();
    std::optional<std::string> last = database().lastStoredName();
    set.MoveToEnd();
    return last;
}

void ClientStore::addRow(const ClientRecord& record) {
    Recordset& set = rows();
    set.AddNew();
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        set.SetField(kColumnNames[i], record.values[i]);
    }
    set.Update();
}

void ClientStore::changeCurrentRow(const ClientRecord& record) {
    Recordset& set = rows();
    set.Edit();
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        set.SetField(kColumnNames[i], record.values[i]);
    }
    set.Update();
}

}  // namespace korvale
