// Any bytes as what an operator could bring into a field: the date check and both key rules on the
// text, and a look-up of the bytes as a name in a book that holds a few names. Nothing may crash under
// the sanitizers, a rule lets through only what it may, and a look-up finds exactly the stored name.

#include <QDir>
#include <QString>
#include <cstdlib>
#include <memory>
#include <set>

#include "rules/DateCheck.h"
#include "rules/KeyRules.h"
#include "store/BookSchema.h"
#include "store/ClientStore.h"

namespace {

const std::set<std::string> kStored{"ann", "o'neil", "a%", "a_b", "", "\xc3\xa5sa", std::string("n\0ul", 4)};

void require(bool condition) {
    if (!condition) std::abort();
}

korvale::ClientStore& store() {
    static const std::filesystem::path dir = QDir::temp().filePath("korvale-fuzz-%1").arg(getpid()).toStdString();
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
    const QString text = QString::fromUtf8(bytes);
    (void)korvale::rules::VALIDDATE(text);
    for (const char32_t c : text.toUcs4()) {
        const int letter = korvale::rules::letterRule(static_cast<int>(c));
        require(letter == 0 || letter == 8 || letter == ' ' || (letter >= 'a' && letter <= 'z'));
        const int digit = korvale::rules::digitRule(static_cast<int>(c));
        require(digit == 0 || digit == static_cast<int>(c));
    }
    store().lookUp(bytes);
    require(store().rows().Eof() != (kStored.count(bytes) == 1));
    if (!store().rows().Eof()) require(store().rows().Field("Name") == bytes);
    return 0;
}
