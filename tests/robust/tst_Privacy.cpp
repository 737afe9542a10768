// The book is personal data: the book and the journal files the engine creates beside it when the
// application reads or writes must be readable and writable by their owner only, whatever the umask.

#include <sys/stat.h>

#include <QTest>

#include "store/BookSchema.h"
#include "tests/support/TestBook.h"
#include "tests/robust/WriteFaults.h"

using namespace korvale::robust;

namespace {

// The permission bits, or -1 when the file is not there.
int modeOf(const std::filesystem::path& file) {
    struct stat s {};
    if (::stat(file.c_str(), &s) != 0) return -1;
    return static_cast<int>(s.st_mode & 07777);
}

class UmaskGuard {
public:
    explicit UmaskGuard(mode_t mask) : old_(::umask(mask)) {}
    ~UmaskGuard() { ::umask(old_); }
    UmaskGuard(const UmaskGuard&) = delete;
    UmaskGuard& operator=(const UmaskGuard&) = delete;

private:
    mode_t old_;
};

}  // namespace

class tst_Privacy : public QObject {
    Q_OBJECT
private slots:
    void onlyTheOwnerReadsTheBook_data();
    void onlyTheOwnerReadsTheBook();
};

void tst_Privacy::onlyTheOwnerReadsTheBook_data() {
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("action");  // -1: the search screen only reads; otherwise a Write
    const std::pair<const char*, int> masks[] = {{"umask 000", 0}, {"umask 022", 022}, {"umask 077", 077}};
    for (const auto& [name, mask] : masks) {
        QTest::addRow("%s, search screen reads", name) << mask << -1;
        QTest::addRow("%s, addition screen writes", name) << mask << int(Write::Add);
        QTest::addRow("%s, updation screen writes", name) << mask << int(Write::Update);
        QTest::addRow("%s, deletion screen writes", name) << mask << int(Write::Delete);
    }
}

void tst_Privacy::onlyTheOwnerReadsTheBook() {
    QFETCH(int, umask);
    QFETCH(int, action);
    const UmaskGuard mask(static_cast<mode_t>(umask));
    BoxAnswers boxes;
    AppUnderTest app(AppUnderTest::Book::Missing);
    korvale::createBook(app.bookPath());
    QCOMPARE(modeOf(app.bookPath()), 0600);
    std::vector<korvale::testbook::Row> rows;
    for (const auto& r : startingRows()) rows.push_back(korvale::testbook::rowOf(r));
    korvale::testbook::insertRows(app.bookPath(), rows);

    if (action < 0) {
        Screen* screen = app.open(ScreenId::SEARCH_FORM);
        QVERIFY(screen);
        click(screen, "SEARCH");
    } else {
        const auto write = static_cast<Write>(action);
        Screen* screen = prepareWrite(app, write);
        QVERIFY(screen);
        pressWrite(screen, write, boxes, true);
        QVERIFY2(shown(boxes, doneMessage(write)), qPrintable(boxes.texts().join(QLatin1String(" / "))));
    }
    // The screen still holds the book open, so its journal files are there to be looked at.
    const std::string book = app.bookPath().string();
    QCOMPARE(modeOf(book), 0600);
    QCOMPARE(modeOf(book + "-wal"), 0600);
    QCOMPARE(modeOf(book + "-shm"), 0600);
    QVERIFY(boxes.problems().isEmpty());
}

QTEST_MAIN(tst_Privacy)
#include "tst_Privacy.moc"
