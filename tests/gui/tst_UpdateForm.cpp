#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <memory>

#include "tests/gui/ScreenDriver.h"

namespace {

const QStringList kFields{"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Combo1"};
const QStringList kEmpty(9, QString());

QString confirm() {
    return face("On-Line Korvale", "Are You Sure To update This Record", "Yes, No", "information");
}
QString updated() {
    return face("On-Line Korvale", "Record has been updated", "OK", "information");
}
// This screen's own look-up finding no row: unlike the search screen's, its box begins with a capital.
QString notFound() {
    return face("KORVALE", "There is no record related to this name");
}

// The operator's steps: a button by its name, "name:<text>" typed into the look-up field, or
// "Text3=<text>" typed into a field; a field is clicked into and wiped first.
void run(ScreenDriver& s, const QStringList& steps) {
    for (const QString& step : steps) {
        QString field = step.section('=', 0, 0);
        QString typed = step.section('=', 1);
        if (step.startsWith("name:")) {
            field = "Text10";
            typed = step.mid(5);
        } else if (!step.contains('=')) {
            s.click(step);
            continue;
        }
        s.click(field);
        s.wipe(field);
        ScreenDriver::typeHere(typed);
    }
}

}  // namespace

// The updation screen: the look-up, UPDATE and its failure, REFERSH, and a click lost to the date check.
class tst_UpdateForm : public QObject {
    Q_OBJECT
private slots:
    void opensEmptyWithTheFocusOnTheCategory_data();
    void opensEmptyWithTheFocusOnTheCategory();
    void scenarios_data();
    void scenarios();
    void addressBeforeAnyLookUpSendsTheOperatorToTheName();
    void buttonClickedWithAnUnreadableDateIsLost_data();
    void buttonClickedWithAnUnreadableDateIsLost();
};

void tst_UpdateForm::opensEmptyWithTheFocusOnTheCategory_data() {
    QTest::addColumn<bool>("reopened");
    QTest::newRow("first visit") << false;
    QTest::newRow("after BACK and a new visit") << true;
}

void tst_UpdateForm::opensEmptyWithTheFocusOnTheCategory() {
    QFETCH(bool, reopened);
    BoxAnswers answers;
    AppUnderTest app;
    storeRows(app, {ann()});
    if (reopened) {
        ScreenDriver first(app, ScreenId::UPDATE_FORM);
        run(first, {"name:Ann Lee", "OK"});
        QCOMPARE(first.texts(kFields), shownAs(ann()));
        first.click("BACK");
        QVERIFY(!first.isOpen());
    }
    ScreenDriver s(app, ScreenId::UPDATE_FORM);
    QVERIFY(s.isOpen());
    QCOMPARE(s.screen()->windowTitle(), QStringLiteral("UPDATE FORM"));
    QCOMPARE(s.texts(kFields), kEmpty);
    QCOMPARE(s.text("Text10"), QString());
    QCOMPARE(categories(s.combo()), (QStringList{"CLIENT", "RELATIVE", "FRIEND"}));
    QCOMPARE(s.combo()->currentIndex(), -1);
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("Combo1"));
    QCOMPARE(facesOf(answers), QStringList());
}

void tst_UpdateForm::scenarios_data() {
    QTest::addColumn<QStringList>("book");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("lookUp");

    const int yes = MessageBoxes::kYes;
    const int no = MessageBoxes::kNo;
    const QString annMate = "ann lee|a street|a@mail|23/07/1987|a home|a work|a cell|a remarks|MATE";
    const QString renamed = "anne marie|a street|a@mail|23-07-1987|a home|a work|a cell|a remarks|FRIEND";
    const QString blank = "||||||||";
    const QString annFriend = "ann lee|a street|a@mail|23-07-1987|a home|a work|a cell|a remarks|friend";

    QTest::newRow("OK shows the row; the category text need not be in the list")
        << QStringList{bob(), annMate} << QStringList{"name:Ann Lee", "OK"} << QList<int>{} << QStringList{}
        << QStringList{bob(), annMate} << shownAs(annMate) << "ann lee";
    QTest::newRow("OK for a name no row has: every field keeps its text")
        << QStringList{ann(), bob()} << QStringList{"name:Ann Lee", "OK", "name:Cy", "OK"} << QList<int>{}
        << QStringList{notFound()} << QStringList{ann(), bob()} << shownAs(ann()) << "cy";
    QTest::newRow("OK with the look-up field empty")
        << QStringList{ann()} << QStringList{"OK"} << QList<int>{} << QStringList{notFound()}
        << QStringList{ann()} << kEmpty << "";
    QTest::newRow("OK on a null work phone: the fields before it show the row")
        << QStringList{bob(), "ann lee|n street|n@mail|01-01-1990|n home|<null>|n cell|n remarks|CLIENT"}
        << QStringList{"name:Bob", "OK", "name:Ann Lee", "OK"} << QList<int>{} << QStringList{notFound()}
        << QStringList{bob(), "ann lee|n street|n@mail|01-01-1990|n home|<null>|n cell|n remarks|CLIENT"}
        << QStringList{"ann lee", "n street", "n@mail",    "01-01-1990", "n home",
                       "b work",  "b cell",   "b remarks", "FRIEND"}
        << "ann lee";
    QTest::newRow("OK on a null remarks: the category came before it")
        << QStringList{bob(), "ann lee|n street|n@mail|01-01-1990|n home|n work|n cell|<null>|CLIENT"}
        << QStringList{"name:Bob", "OK", "name:Ann Lee", "OK"} << QList<int>{} << QStringList{notFound()}
        << QStringList{bob(), "ann lee|n street|n@mail|01-01-1990|n home|n work|n cell|<null>|CLIENT"}
        << QStringList{"ann lee", "n street", "n@mail",    "01-01-1990", "n home",
                       "n work",  "n cell",   "b remarks", "CLIENT"}
        << "ann lee";
    QTest::newRow("UPDATE of a renamed row")
        << QStringList{ann(), bob()} << QStringList{"name:Ann Lee", "OK", "Text1=Anne Marie", "UPDATE"}
        << QList<int>{yes} << QStringList{confirm(), updated()} << QStringList{renamed, bob()}
        << shownAs(renamed) << "ann lee";
    // The look-up field still holds the old name: the second UPDATE finds no row, writes nothing, and
    // the screen goes on.
    QTest::newRow("second UPDATE after the rename fails, the screen goes on")
        << QStringList{ann(), bob()} << QStringList{"name:Ann Lee",    "OK",     "Text1=Anne Marie", "UPDATE",
                                                    "Text2=Elsewhere", "UPDATE", "name:Anne Marie",  "OK"}
        << QList<int>{yes, yes} << QStringList{confirm(), updated(), confirm(), noCurrentRow()}
        << QStringList{renamed, bob()} << shownAs(renamed) << "anne marie";
    QTest::newRow("UPDATE answered No changes nothing")
        << QStringList{ann()} << QStringList{"name:Ann Lee", "OK", "Text2=Elsewhere", "UPDATE"}
        << QList<int>{no} << QStringList{confirm()} << QStringList{ann()}
        << QStringList{"ann lee", "Elsewhere", "a@mail",    "23-07-1987", "a home",
                       "a work",  "a cell",    "a remarks", "FRIEND"}
        << "ann lee";
    QTest::newRow("UPDATE without OK writes the empty fields into the named row")
        << QStringList{ann(), bob()} << QStringList{"name:Ann Lee", "UPDATE"} << QList<int>{yes}
        << QStringList{confirm(), updated()} << QStringList{blank, bob()} << kEmpty << "ann lee";
    QTest::newRow("REFERSH empties nine fields, keeps the look-up, shows nothing")
        << QStringList{ann()} << QStringList{"name:Ann Lee", "OK", "REFERSH"} << QList<int>{} << QStringList{}
        << QStringList{ann()} << kEmpty << "ann lee";
    QTest::newRow("REFERSH then OK brings the row back")
        << QStringList{ann()} << QStringList{"name:Ann Lee", "OK", "REFERSH", "OK"} << QList<int>{}
        << QStringList{} << QStringList{ann()} << shownAs(ann()) << "ann lee";
    QTest::newRow("REFERSH then UPDATE empties the named row")
        << QStringList{ann(), bob()} << QStringList{"name:Ann Lee", "OK", "REFERSH", "UPDATE"}
        << QList<int>{yes} << QStringList{confirm(), updated()} << QStringList{blank, bob()} << kEmpty
        << "ann lee";
    QTest::newRow("UPDATE after the look-up field names another row writes into that row")
        << QStringList{ann(), bob()} << QStringList{"name:Ann Lee", "OK", "name:Bob", "UPDATE"}
        << QList<int>{yes} << QStringList{confirm(), updated()} << QStringList{ann(), ann()} << shownAs(ann())
        << "bob";
    QTest::newRow("two rows of one name: UPDATE writes the first")
        << QStringList{ann("first"), ann("second")}
        << QStringList{"name:Ann Lee", "OK", "Text3=new@mail", "UPDATE"} << QList<int>{yes}
        << QStringList{confirm(), updated()}
        << QStringList{ann("first").replace("first@mail", "new@mail"), ann("second")}
        << shownAs(ann("first").replace("first@mail", "new@mail")) << "ann lee";
    QTest::newRow("UPDATE for a name no row has, Yes: the error report")
        << QStringList{ann()} << QStringList{"name:Cy", "UPDATE"} << QList<int>{yes}
        << QStringList{confirm(), noCurrentRow()} << QStringList{ann()} << kEmpty << "cy";
    QTest::newRow("UPDATE for a name no row has, No")
        << QStringList{ann()} << QStringList{"name:Cy", "UPDATE"} << QList<int>{no} << QStringList{confirm()}
        << QStringList{ann()} << kEmpty << "cy";
    // The category box stores its text as it stands: passing through it changes no letter.
    QTest::newRow("a stored category in small letters passes through the box unchanged")
        << QStringList{annFriend} << QStringList{"name:Ann Lee", "OK", "Combo1", "UPDATE"} << QList<int>{yes}
        << QStringList{confirm(), updated()} << QStringList{annFriend} << shownAs(annFriend) << "ann lee";
    QTest::newRow("a typed category is stored as typed")
        << QStringList{ann()} << QStringList{"name:Ann Lee", "OK", "Combo1=Client", "UPDATE"}
        << QList<int>{yes} << QStringList{confirm(), updated()}
        << QStringList{ann().replace("FRIEND", "Client")} << shownAs(ann().replace("FRIEND", "Client"))
        << "ann lee";
    QTest::newRow("the name may be longer than 20 here")
        << QStringList{ann()} << QStringList{"name:Ann Lee",
                                             "OK",
                                             "Text1=abcdefghijklmnopqrstuvwxyz",
                                             "UPDATE",
                                             "name:Abcdefghijklmnopqrstuvwxyz",
                                             "OK"}
        << QList<int>{yes} << QStringList{confirm(), updated()}
        << QStringList{ann().replace("ann lee", "abcdefghijklmnopqrstuvwxyz")}
        << shownAs(ann().replace("ann lee", "abcdefghijklmnopqrstuvwxyz")) << "abcdefghijklmnopqrstuvwxyz";
}

void tst_UpdateForm::scenarios() {
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
    ScreenDriver s(app, ScreenId::UPDATE_FORM);
    QVERIFY(s.isOpen());
    for (int a : answers) seen.answer({a});

    run(s, steps);

    QCOMPARE(matchedFaces(facesOf(seen), boxes), boxes);
    QCOMPARE(bookRows(app), left);
    QCOMPARE(s.texts(kFields), shown);
    QCOMPARE(s.text("Text10"), lookUp);
    QCOMPARE(categories(s.combo()), (QStringList{"CLIENT", "RELATIVE", "FRIEND"}));
    QVERIFY(s.isOpen());
    QVERIFY(seen.problems().isEmpty());
    QCOMPARE(seen.unusedAnswers(), 0);
}

void tst_UpdateForm::addressBeforeAnyLookUpSendsTheOperatorToTheName() {
    AppUnderTest app;
    RealBoxFaces boxes;
    ScreenDriver s(app, ScreenId::UPDATE_FORM);

    s.click("Text2");

    QCOMPARE(boxes.faces(), QStringList{face("On-Line Korvale", "customer name cannot be left empty")});
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("Text1"));
    QCOMPARE(QApplication::activeWindow(), s.screen());
}

void tst_UpdateForm::buttonClickedWithAnUnreadableDateIsLost_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("realBoxes");
    for (const char* button : {"OK", "UPDATE", "REFERSH", "BACK"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1, answered in place").arg(button))) << button << false;
        QTest::newRow(qPrintable(QStringLiteral("%1, real modal box").arg(button))) << button << true;
    }
}

// Leaving the date field for a button runs the date check first; the check takes the focus back and
// the click is lost: the button's handler does not run and the button is not left down.
void tst_UpdateForm::buttonClickedWithAnUnreadableDateIsLost() {
    QFETCH(QString, button);
    QFETCH(bool, realBoxes);
    std::unique_ptr<BoxAnswers> answers = realBoxes ? nullptr : std::make_unique<BoxAnswers>();
    AppUnderTest app;
    std::unique_ptr<RealBoxFaces> real = realBoxes ? std::make_unique<RealBoxFaces>() : nullptr;
    storeRows(app, {ann()});
    ScreenDriver s(app, ScreenId::UPDATE_FORM);
    // A stored name to look up, and a field a refresh would empty.
    run(s, {"name:Ann Lee", "Text1=Kept", "Text4=31-02-1987"});
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("Text4"));

    s.click(button);

    const QStringList shown = realBoxes ? real->faces() : facesOf(*answers);
    QCOMPARE(shown, QStringList{dateMessage()});
    QVERIFY(s.isOpen());
    QCOMPARE(ScreenDriver::focusName(), QStringLiteral("Text4"));
    QVERIFY(!s.button(button)->isDown());
    QCOMPARE(s.texts(kFields), (QStringList{"kept", "", "", "", "", "", "", "", ""}));
    QCOMPARE(bookRows(app), QStringList{ann()});
    QCOMPARE(QApplication::activeWindow(), s.screen());
    if (answers) QVERIFY2(answers->problems().isEmpty(), qPrintable(answers->problems().join("; ")));

    // The next click, with a readable date, goes through.
    ScreenDriver::typeHere("23-07-1987");
    if (button == QLatin1String("OK")) {
        s.click(button);
        QCOMPARE(s.texts(kFields), shownAs(ann()));
    }
}

QTEST_MAIN(tst_UpdateForm)
#include "tst_UpdateForm.moc"
