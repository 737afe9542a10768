#include <QAbstractButton>
#include <QApplication>
#include <QTest>

#include "tests/gui/ScreenDriver.h"

namespace {

const QStringList kBoxes{"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9"};
const QStringList kAllBoxes = kBoxes + QStringList{"Text10"};
const QStringList kNothingShown(9, QString());

QString confirm() {
    return face("On-Line Korvale", "Are You Sure To remove This Record", "Yes, No", "information");
}
QString count(int n) {
    return face("KORVALE", QString::number(n));
}
QString deleted() {
    return face("On-Line Korvale", "Record has been deleted", "OK", "information");
}
QString refreshed() {
    return face("KORVALE", "FORM IS REFRESH");
}

// Runs the operator's steps: a button by its name, or "name:<text>" to type a name into the look-up
// field after wiping it.
void run(ScreenDriver& s, const QStringList& steps) {
    for (const QString& step : steps) {
        if (step.startsWith("name:")) {
            s.click("Text10");
            s.wipe("Text10");
            ScreenDriver::typeHere(step.mid(5));
        } else {
            s.click(step);
        }
    }
}

}  // namespace

// The deletion screen: REMOVE with and without a look-up, its count box, and the look-up it shares
// with the search screen.
class tst_DeleteForm : public QObject {
    Q_OBJECT
private slots:
    void opensWithTheLastStoredName();
    void scenarios_data();
    void scenarios();
    void twoRowsOfOneNameGoOneByOne();
    void aQuoteInTheNameRemovesNoOtherRow();
};

void tst_DeleteForm::opensWithTheLastStoredName() {
    BoxAnswers answers;
    AppUnderTest app;
    storeRows(app, {ann(), bob()});
    ScreenDriver s(app, ScreenId::DELETE_FORM);
    QVERIFY(s.isOpen());
    QCOMPARE(s.screen()->windowTitle(), QStringLiteral("SEARCH FORM"));
    QCOMPARE(s.texts(kAllBoxes), kNothingShown + QStringList{"bob"});
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("BACK"));
    QCOMPARE(facesOf(answers), QStringList());
}

void tst_DeleteForm::scenarios_data() {
    QTest::addColumn<QStringList>("book");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("lookUp");

    const int yes = MessageBoxes::kYes;
    const int no = MessageBoxes::kNo;
    const QString annNullEmail = "ann lee|n street|<null>|01-01-1990|n home|n work|n cell|n remarks|CLIENT";

    // The load walk leaves the last row's name in the look-up field; REMOVE takes the first row of it.
    QTest::newRow("REMOVE with no look-up, Yes")
        << QStringList{bob("1"), ann(), bob("2")} << QStringList{"REMOVE"} << QList<int>{yes}
        << QStringList{confirm(), count(1), deleted()} << QStringList{ann(), bob("2")} << kNothingShown
        << "bob";
    QTest::newRow("REMOVE with no look-up, No: the count still comes")
        << QStringList{bob("1"), ann(), bob("2")} << QStringList{"REMOVE"} << QList<int>{no}
        << QStringList{confirm(), count(1)} << QStringList{bob("1"), ann(), bob("2")} << kNothingShown
        << "bob";
    QTest::newRow("REMOVE after REFRESH, Yes: nothing matches, the error report")
        << QStringList{ann(), bob()} << QStringList{"REFRESH", "REMOVE"} << QList<int>{yes}
        << QStringList{refreshed(), confirm(), count(0), noCurrentRow()} << QStringList{ann(), bob()}
        << kNothingShown << "";
    QTest::newRow("REMOVE after REFRESH, No")
        << QStringList{ann(), bob()} << QStringList{"REFRESH", "REMOVE"} << QList<int>{no}
        << QStringList{refreshed(), confirm(), count(0)} << QStringList{ann(), bob()} << kNothingShown << "";
    QTest::newRow("after the error report the screen goes on")
        << QStringList{ann(), bob()} << QStringList{"REFRESH", "REMOVE", "name:Ann Lee", "OK"}
        << QList<int>{yes} << QStringList{refreshed(), confirm(), count(0), noCurrentRow()}
        << QStringList{ann(), bob()} << shownAs(ann()) << "ann lee";
    QTest::newRow("look up one name, REMOVE another: the boxes keep the first")
        << QStringList{ann(), bob()} << QStringList{"name:Ann Lee", "OK", "name:Bob", "REMOVE"}
        << QList<int>{yes} << QStringList{confirm(), count(1), deleted()} << QStringList{ann()}
        << shownAs(ann()) << "bob";
    QTest::newRow("OK after the only row is deleted: the boxes keep it")
        << QStringList{ann(), bob()} << QStringList{"OK", "REMOVE", "OK"} << QList<int>{yes}
        << QStringList{confirm(), count(1), deleted(), noRecord()} << QStringList{ann()} << shownAs(bob())
        << "bob";
    QTest::newRow("a row with a null column is deleted like any other")
        << QStringList{bob(), annNullEmail} << QStringList{"REMOVE"} << QList<int>{yes}
        << QStringList{confirm(), count(1), deleted()} << QStringList{bob()} << kNothingShown << "ann lee";
    QTest::newRow("look-up of a row with a null e-mail fills the boxes before it")
        << QStringList{bob(), annNullEmail} << QStringList{"name:Bob", "OK", "name:Ann Lee", "OK"}
        << QList<int>{} << QStringList{noRecord()} << QStringList{bob(), annNullEmail}
        << QStringList{"ann lee", "n street", "b@mail",    "23-07-1987", "b home",
                       "b work",  "b cell",   "b remarks", "FRIEND"}
        << "ann lee";
    QTest::newRow("look-up of a name no row has keeps the boxes")
        << QStringList{ann(), bob()} << QStringList{"OK", "name:Cy", "OK"} << QList<int>{}
        << QStringList{noRecord()} << QStringList{ann(), bob()} << shownAs(bob()) << "cy";
    QTest::newRow("REFRESH empties all ten")
        << QStringList{ann(), bob()} << QStringList{"OK", "REFRESH"} << QList<int>{}
        << QStringList{refreshed()} << QStringList{ann(), bob()} << kNothingShown << "";
    QTest::newRow("OK on an empty table finds no record")
        << QStringList{} << QStringList{"OK"} << QList<int>{} << QStringList{noRecord()} << QStringList{}
        << kNothingShown << "";
}

void tst_DeleteForm::scenarios() {
    QFETCH(QStringList, book);
    QFETCH(QStringList, steps);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, left);
    QFETCH(QStringList, shown);
    QFETCH(QString, lookUp);
    BoxAnswers seen;
    AppUnderTest app;
    storeRows(app, book);
    ScreenDriver s(app, ScreenId::DELETE_FORM);
    QVERIFY(s.isOpen());
    for (int a : answers) seen.answer({a});

    run(s, steps);

    QCOMPARE(matchedFaces(facesOf(seen), boxes), boxes);
    QCOMPARE(bookRows(app), left);
    QCOMPARE(s.texts(kBoxes), shown);
    QCOMPARE(s.text("Text10"), lookUp);
    QVERIFY(s.isOpen());
    QVERIFY(seen.problems().isEmpty());
    QCOMPARE(seen.unusedAnswers(), 0);
}

// One press deletes at most one row; the count box shows 1 each time a row of the name is left.
void tst_DeleteForm::twoRowsOfOneNameGoOneByOne() {
    AppUnderTest app;
    RealBoxFaces boxes;
    storeRows(app, {ann("first"), bob(), ann("second")});
    ScreenDriver s(app, ScreenId::DELETE_FORM);
    QCOMPARE(s.text("Text10"), QStringLiteral("ann lee"));

    boxes.answer({"Yes"});
    s.click("REMOVE");
    QCOMPARE(boxes.faces(), (QStringList{confirm(), count(1), deleted()}));
    QCOMPARE(bookRows(app), (QStringList{bob(), ann("second")}));

    boxes.answer({"Yes"});
    s.click("REMOVE");
    QCOMPARE(boxes.faces(), (QStringList{confirm(), count(1), deleted(), confirm(), count(1), deleted()}));
    QCOMPARE(bookRows(app), QStringList{bob()});
    QCOMPARE(QApplication::activeWindow(), s.screen());
    QCOMPARE(s.texts(kAllBoxes), kNothingShown + QStringList{"ann lee"});
}

// A name with quotes, left in the look-up field by the load walk, removes its own row or none, never
// a row selected by a condition of its own.
void tst_DeleteForm::aQuoteInTheNameRemovesNoOtherRow() {
    BoxAnswers answers;
    AppUnderTest app;
    const QString quoted = sampleRow("x' or name<>'", "x");
    storeRows(app, {bob(), quoted});
    ScreenDriver s(app, ScreenId::DELETE_FORM);
    answers.answer({MessageBoxes::kYes});

    s.click("REMOVE");

    if (bookRows(app) == QStringList{bob()}) {
        QCOMPARE(facesOf(answers), (QStringList{confirm(), count(1), deleted()}));
    } else {
        QCOMPARE(bookRows(app), (QStringList{bob(), quoted}));
        QCOMPARE(matchedFaces(facesOf(answers), {confirm(), count(0), noCurrentRow()}),
                 (QStringList{confirm(), count(0), noCurrentRow()}));
    }
}

QTEST_MAIN(tst_DeleteForm)
#include "tst_DeleteForm.moc"
