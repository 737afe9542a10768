#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <initializer_list>
#include <vector>

#include "tests/gui/AppUnderTest.h"
#include "tests/gui/BoxAnswers.h"
#include "tests/support/TestBook.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;

// Drives one record screen the way the operator does: real key presses with the texts the keyboard
// gives, clicks into fields and on buttons, Tab and Shift+Tab on the focused control.
class ScreenDriver {
public:
    // Opens the screen from the menu, as AppUnderTest::open() does.
    ScreenDriver(AppUnderTest& app, ScreenId id);

    Screen* screen() const { return screen_; }
    bool isOpen() const;

    QWidget* control(const QString& name) const;
    QLineEdit* edit(const QString& name) const;
    QComboBox* combo(const QString& name = QStringLiteral("Combo1")) const;
    QAbstractButton* button(const QString& name) const;

    // What a field shows: a text box's text or the category box's text part.
    QString text(const QString& name) const;
    QStringList texts(const QStringList& names) const;
    // Puts a text into a field without typing it, as a handler would: no key rule, no focus move.
    void place(const QString& name, const QString& value);

    // The control that holds the focus, by name; a category box's own text part counts as the box.
    static QString focusName();

    // A left click in the middle of the control: into a field, or on a button.
    void click(const QString& name);
    // Tab or Shift+Tab on whatever holds the focus.
    static void tab();
    static void backtab();

    // Types a script into the control, key by key. Plain characters are typed with the text the
    // keyboard gives (capitals with Shift); braces name other keys: {BS} {DEL} {HOME} {END} {LEFT} {UP}
    // {DOWN} {SHIFT+HOME} {SHIFT+END} {ENTER} {KPENTER} {ESC} {CTRL+A} {CTRL+C} {CTRL+V} {CTRL+X}, each with
    // the character code it produces (Backspace 8, Delete 127, Enter 13, Ctrl+V 22 ...).
    static void typeInto(QWidget* target, const QString& script);
    void type(const QString& name, const QString& script) { typeInto(control(name), script); }
    // Into whatever holds the focus.
    static void typeHere(const QString& script);
    // Empties the field as the operator does: select from the start to the end, then Backspace.
    void wipe(const QString& name) { type(name, QStringLiteral("{HOME}{SHIFT+END}{BS}")); }

private:
    AppUnderTest& app_;
    ScreenId id_;
    Screen* screen_;
};

// One line per box, for comparing what the operator saw: "title | text | buttons | icon".
QString faceOf(const BoxRequest& request);
QStringList facesOf(const BoxAnswers& boxes);
// The face a box of the given kind shows.
QString face(const QString& title, const QString& text, const QString& buttons = QStringLiteral("OK"),
             const QString& icon = QStringLiteral("no icon"));
// Boxes more than one screen shows. The look-up of the search and deletion screens finding no row:
QString noRecord();
// The default error report, which names the cause in the engine's words:
QString noCurrentRow();
// The date check refusing what the date field holds:
QString dateMessage();
// Expected faces may use "*" in place of a text that names a cause in the engine's words. Returns the
// actual faces with each such match replaced by the expected pattern, so QCOMPARE shows any difference.
QStringList matchedFaces(const QStringList& actual, const QStringList& expected);

// Answers real modal message boxes while they are on the screen and notes each one's face, read from
// the QMessageBox itself. Questions take the queued buttons ("Yes" or "No"), OK boxes are closed with
// OK. A ceiling ends a handler that keeps showing boxes instead of hanging the test.
class RealBoxFaces : public QObject {
public:
    explicit RealBoxFaces(int ceiling = 10);
    void answer(std::initializer_list<QString> buttons);
    const QStringList& faces() const { return faces_; }
    // More boxes came than the ceiling allows: the handler was looping.
    bool overflowed() const { return faces_.size() > ceiling_; }

private:
    void poll();
    QTimer timer_;
    int ceiling_;
    std::deque<QString> answers_;
    QStringList faces_;
};

// Rows of the book, for building books and comparing what they hold. Each text is one row, its nine
// columns joined by '|' in the table's order; "<null>" stands for a column without a value.
void storeRows(const AppUnderTest& app, const QStringList& rows);
QStringList bookRows(const AppUnderTest& app);
// A row in that form whose columns are told apart by the tag: "<name>|<tag> street|<tag>@mail|...".
QString sampleRow(const QString& name, const QString& tag, const QString& dob = QStringLiteral("23-07-1987"));
// Sample rows in that form, of the names "ann lee" and "bob".
QString ann(const QString& tag = QStringLiteral("a"));
QString bob(const QString& tag = QStringLiteral("b"));
// A stored row as a screen's nine fields or boxes show it, in column order.
QStringList shownAs(const QString& row);
// The entries a category box lists, in order.
QStringList categories(const QComboBox* box);
