// Any bytes as what an operator could bring into a field: the date check on the text, and a look-up of
// the bytes as a name in a book that holds a few names. Nothing may crash under the sanitizers, and a
// look-up finds exactly the stored name. (The key rules are driven through the fields by tst_Screens.)

#include <QDir>
#include <QString>
#include <cstdlib>
#include <memory>
#include <set>

#include "rules/DateCheck.h"
#include "store/BookSchema.h"
#include "store/ClientStore.h"

namespace {

const std::set<std::string> kStored{"ann", "o'neil", "a%", "a_b", "", "\xc3\xa5sa", std::string("n\0ul", 4)};

void require(bool condition) {
    if (!condition) std::abort();
}

korvale::ClientStore& store() {
    static const std::filesystem::path dir =
        QDir::temp().filePath("korvale-fuzz-%1").arg(getpid()).toStdString();
    static std::unique_ptr<korvale::ClientStore> opened = [] {
        std::filesystem::create_directories(dir);
        korvale::createBook(korvale::ClientStore::bookPath(dir));
        auto s = std::make_unique<korvale::ClientStore>();
        s->open(dir, korvale::RecordSource::wholeTable());
        for (const std::string& name : kStored) {
            korvale::ClientRecord record;
            record[korvale::Column::Name] = name;
            s->addRow(record);
        }
        std::atexit([] { std::filesystem::remove_all(dir); });
        return s;
    }();
    return *opened;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    (void)korvale::rules::VALIDDATE(QString::fromUtf8(bytes));
    store().lookUp(bytes);
    require(store().rows().Eof() != (kStored.count(bytes) == 1));
    if (!store().rows().Eof()) require(store().rows().Field("Name") == bytes);
    return 0;
}
