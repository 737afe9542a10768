// The book is deleted while a screen has it open. The screen's connection would go on writing into a
// file that no longer has a name, and the record would vanish with the program: the write must be
// refused with a report that says what happened, and nothing may claim that the record was stored.

#include <QTest>

#include "tests/robust/BookContents.h"
#include "tests/support/TestBook.h"
#include "tests/robust/WriteFaults.h"

using namespace korvale::robust;

class tst_DeletedBook : public QObject {
    Q_OBJECT
private slots:
    void bookDeletedWhileTheScreenIsOpen_data();
    void bookDeletedWhileTheScreenIsOpen();
};

void tst_DeletedBook::bookDeletedWhileTheScreenIsOpen_data() {
    QTest::addColumn<Write>("write");
    QTest::addColumn<bool>("withJournal");
    const std::pair<const char*, Write> writes[] = {
        {"addition", Write::Add}, {"updation", Write::Update}, {"deletion", Write::Delete}};
    for (const auto& [name, write] : writes) {
        QTest::addRow("book file deleted, %s", name) << write << false;
        QTest::addRow("book and its -wal and -shm deleted, %s", name) << write << true;
    }
}

void tst_DeletedBook::bookDeletedWhileTheScreenIsOpen() {
    QFETCH(Write, write);
    QFETCH(bool, withJournal);
    BoxAnswers boxes;
    AppUnderTest app;
    std::vector<korvale::testbook::Row> rows;
    for (const auto& r : startingRows()) rows.push_back(korvale::testbook::rowOf(r));
    korvale::testbook::insertRows(app.bookPath(), rows);
    Screen* screen = prepareWrite(app, write);
    QVERIFY(screen);
    const auto typed = fieldTexts(screen);

    const std::string book = app.bookPath().string();
    QVERIFY(std::filesystem::remove(book));
    if (withJournal) {
        std::filesystem::remove(book + "-wal");
        std::filesystem::remove(book + "-shm");
    }
    boxes.clear();
    pressWrite(screen, write, boxes, false);
    QVERIFY2(!shown(boxes, doneMessage(write)),
             "the operator was told the change is stored in a deleted book");
    const BoxRequest* report = reportNaming(boxes, app.bookPath());
    QVERIFY2(report, qPrintable(boxes.texts().join(QLatin1String(" / "))));
    QVERIFY2(report->text.contains(QLatin1String("deleted")), qPrintable(report->text));
    QVERIFY2(boxes.problems().isEmpty(), qPrintable(boxes.problems().join(QLatin1String(" / "))));
    QCOMPARE(fieldTexts(screen), typed);
    // No empty book appeared in its place.
    QVERIFY(!std::filesystem::exists(book));

    // The screen still answers: BACK leads to the menu.
    click(screen, "BACK");
    QVERIFY(app.screen(ScreenId::MENU_FORM));
}

QTEST_MAIN(tst_DeletedBook)
#include "tst_DeletedBook.moc"
