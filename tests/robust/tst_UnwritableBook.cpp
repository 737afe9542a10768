// The book's file, or the directory it lies in, refuses writes. Root writes through mode bits, so for
// root (as here and in CI) the inode is made immutable instead; where even that is impossible the
// cases are skipped and say why.

#include <QTest>

#include "tests/robust/BookContents.h"
#include "tests/robust/FaultTools.h"
#include "tests/support/TestBook.h"
#include "tests/robust/WriteFaults.h"

using namespace korvale::robust;

Q_DECLARE_METATYPE(ScreenId)

namespace {

void fillBook(AppUnderTest& app) {
    std::vector<korvale::testbook::Row> rows;
    for (const auto& r : startingRows()) rows.push_back(korvale::testbook::rowOf(r));
    korvale::testbook::insertRows(app.bookPath(), rows);
}

std::filesystem::path target(AppUnderTest& app, const QString& what) {
    return what == QLatin1String("file") ? app.bookPath() : app.dir();
}

}  // namespace

class tst_UnwritableBook : public QObject {
    Q_OBJECT
private slots:
    void unwritableBeforeTheScreenOpens_data();
    void unwritableBeforeTheScreenOpens();
    void unwritableWhileTheScreenIsOpen_data();
    void unwritableWhileTheScreenIsOpen();
};

void tst_UnwritableBook::unwritableBeforeTheScreenOpens_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("cause");
    const std::pair<const char*, ScreenId> screens[] = {{"addition", ScreenId::ADD_FORM},
                                                        {"updation", ScreenId::UPDATE_FORM},
                                                        {"search", ScreenId::SEARCH_FORM},
                                                        {"deletion", ScreenId::DELETE_FORM}};
    for (const auto& [name, id] : screens) {
        QTest::addRow("read-only book file, %s screen", name) << "file" << id << "read-only";
        // The engine has to create the journal files beside the book: the report must say that it is
        // the directory that refuses, not leave the operator with "unable to open".
        QTest::addRow("read-only directory, %s screen", name) << "directory" << id << "directory";
    }
}

void tst_UnwritableBook::unwritableBeforeTheScreenOpens() {
    QFETCH(QString, what);
    QFETCH(ScreenId, screen);
    QFETCH(QString, cause);
    BoxAnswers boxes;
    AppUnderTest app;
    fillBook(app);
    const std::string bytes = fileBytes(app.bookPath());
    {
        Unwritable guard(target(app, what));
        if (!guard.ok()) QSKIP(qPrintable(guard.reason()));

        QVERIFY(!app.open(screen));
        const BoxRequest* report = reportNaming(boxes, app.bookPath());
        QVERIFY2(report, qPrintable(boxes.texts().join(QLatin1String(" / "))));
        QVERIFY2(report->text.contains(cause), qPrintable(report->text));
        // The operator is back on the menu, not left without a window.
        QVERIFY(app.screen(ScreenId::MENU_FORM));
        QVERIFY(app.screen(ScreenId::MENU_FORM)->isVisible());
    }
    QVERIFY(fileBytes(app.bookPath()) == bytes);
    QVERIFY(boxes.problems().isEmpty());
    // Writable again, the same screen opens.
    boxes.clear();
    QVERIFY(app.open(screen));
    QCOMPARE(boxes.texts(), QStringList());
}

void tst_UnwritableBook::unwritableWhileTheScreenIsOpen_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<Write>("write");
    for (const char* what : {"file", "directory"}) {
        QTest::addRow("book %s made read-only, addition", what) << what << Write::Add;
        QTest::addRow("book %s made read-only, updation", what) << what << Write::Update;
        QTest::addRow("book %s made read-only, deletion", what) << what << Write::Delete;
    }
}

// The screen's connection already has the book and its log open, so the write may well succeed; what
// must hold is that a write reported done is still in the book once the screen has closed it.
void tst_UnwritableBook::unwritableWhileTheScreenIsOpen() {
    QFETCH(QString, what);
    QFETCH(Write, write);
    BoxAnswers boxes;
    AppUnderTest app;
    fillBook(app);
    Screen* screen = prepareWrite(app, write);
    QVERIFY(screen);
    const auto typed = fieldTexts(screen);
    const auto before = readBook(app.bookPath()).rows;

    bool done = false;
    {
        Unwritable guard(target(app, what));
        if (!guard.ok()) QSKIP(qPrintable(guard.reason()));
        boxes.clear();
        pressWrite(screen, write, boxes, true);
        done = shown(boxes, doneMessage(write));
        if (!done) {
            const BoxRequest* report = reportNaming(boxes, app.bookPath());
            QVERIFY2(report, qPrintable(boxes.texts().join(QLatin1String(" / "))));
            QCOMPARE(fieldTexts(screen), typed);
        }
        // Leaving the screen closes its store while the book is still unwritable.
        click(screen, "BACK");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!app.screen(screenOf(write)));
    }
    const auto after = readBook(app.bookPath());
    QCOMPARE(after.integrity, std::vector<std::string>{"ok"});
    QCOMPARE(describe(after.rows), describe(done ? rowsAfter(write, before) : before));
}

QTEST_MAIN(tst_UnwritableBook)
#include "tst_UnwritableBook.moc"
