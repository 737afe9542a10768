// The file where the book should be is not a sound book: each screen reports it by the file's name and
// the cause, leaves the file exactly as it was, and hands the operator back to the menu.

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <QTest>
#include <fstream>

#include "tests/robust/BookContents.h"
#include "store/BookSchema.h"
#include "tests/robust/FaultTools.h"
#include "tests/support/TestBook.h"
#include "tests/robust/WriteFaults.h"

using namespace korvale::robust;
namespace tb = korvale::testbook;

Q_DECLARE_METATYPE(ScreenId)

namespace {

void bookWithRows(const std::filesystem::path& book, int count) {
    korvale::createBook(book);
    std::vector<tb::Row> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(tb::rowOf(tb::sampleRecord("name " + std::to_string(i), std::string(200, 'x'))));
    tb::insertRows(book, rows);
}

void writeFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Overwrites the root page of CLIENT_RECORDS, where every walk and seek of the table starts.
void corruptTableRoot(const std::filesystem::path& book) {
    std::int64_t root = 0;
    std::int64_t pageSize = 0;
    {
        SQLite::Database db(book, SQLite::OPEN_READONLY);
        root = db.execAndGet("SELECT rootpage FROM sqlite_master WHERE name = 'CLIENT_RECORDS'").getInt64();
        pageSize = db.execAndGet("PRAGMA page_size").getInt64();
    }
    std::fstream file(book, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp((root - 1) * pageSize);
    const std::string garbage(static_cast<std::size_t>(pageSize), '\xa5');
    file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
}

void makeDamage(const QString& damage, const std::filesystem::path& book) {
    if (damage == QLatin1String("text file")) {
        writeFile(book, "Name,address,email_id\nalice,1 road,alice@mail\n");
    } else if (damage == QLatin1String("empty file")) {
        writeFile(book, "");
    } else if (damage == QLatin1String("truncated")) {
        bookWithRows(book, 300);
        std::filesystem::resize_file(book, 3 * 4096);
    } else if (damage == QLatin1String("corrupted")) {
        bookWithRows(book, 300);
        corruptTableRoot(book);
    } else if (damage == QLatin1String("no table")) {
        bookWithRows(book, 3);
        tb::execSql(book, "DROP TABLE CLIENT_RECORDS");
    } else if (damage == QLatin1String("no column")) {
        bookWithRows(book, 3);
        tb::execSql(book, "ALTER TABLE CLIENT_RECORDS DROP COLUMN email_id");
    } else {
        qFatal("unknown damage %s", qPrintable(damage));
    }
}

}  // namespace

class tst_DamagedBook : public QObject {
    Q_OBJECT
private slots:
    void damagedBookIsReported_data();
    void damagedBookIsReported();
};

void tst_DamagedBook::damagedBookIsReported_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("cause");
    QTest::addColumn<ScreenId>("screen");
    const std::pair<const char*, const char*> damages[] = {
        {"text file", "not a book"},
        {"empty file", "has no table CLIENT_RECORDS"},
        {"truncated", "malformed"},
        {"corrupted", "malformed"},
        {"no table", "has no table CLIENT_RECORDS"},
        {"no column", "has no column email_id"},
    };
    const std::pair<const char*, ScreenId> screens[] = {{"addition", ScreenId::ADD_FORM},
                                                        {"updation", ScreenId::UPDATE_FORM},
                                                        {"search", ScreenId::SEARCH_FORM},
                                                        {"deletion", ScreenId::DELETE_FORM}};
    for (const auto& [damage, cause] : damages)
        for (const auto& [name, id] : screens)
            QTest::addRow("%s, %s screen", damage, name) << damage << cause << id;
}

void tst_DamagedBook::damagedBookIsReported() {
    QFETCH(QString, damage);
    QFETCH(QString, cause);
    QFETCH(ScreenId, screen);
    BoxAnswers boxes;
    AppUnderTest app(AppUnderTest::Book::Missing);
    makeDamage(damage, app.bookPath());
    const std::string bytes = fileBytes(app.bookPath());

    QVERIFY(!app.open(screen));
    const BoxRequest* report = reportNaming(boxes, app.bookPath());
    QVERIFY2(report, qPrintable(boxes.texts().join(QLatin1String(" / "))));
    QVERIFY2(report->text.contains(cause), qPrintable(report->text));
    QCOMPARE(boxes.shown().size(), 1);
    QVERIFY(app.screen(ScreenId::MENU_FORM));
    QVERIFY(app.screen(ScreenId::MENU_FORM)->isVisible());
    QVERIFY(boxes.problems().isEmpty());
    // Nothing was written into what may be someone's only copy.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(fileBytes(app.bookPath()) == bytes);
}

QTEST_MAIN(tst_DamagedBook)
#include "tst_DamagedBook.moc"
