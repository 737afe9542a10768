#include "tests/gui/ScreenDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <map>

namespace {

struct NamedKey {
    Qt::Key key;
    QString text;
    Qt::KeyboardModifiers modifiers;
};

const std::map<QString, NamedKey>& namedKeys() {
    static const std::map<QString, NamedKey> keys{
        {QStringLiteral("BS"), {Qt::Key_Backspace, QString(QChar(8)), Qt::NoModifier}},
        {QStringLiteral("DEL"), {Qt::Key_Delete, QString(QChar(127)), Qt::NoModifier}},
        {QStringLiteral("HOME"), {Qt::Key_Home, QString(), Qt::NoModifier}},
        {QStringLiteral("END"), {Qt::Key_End, QString(), Qt::NoModifier}},
        {QStringLiteral("LEFT"), {Qt::Key_Left, QString(), Qt::NoModifier}},
        {QStringLiteral("UP"), {Qt::Key_Up, QString(), Qt::NoModifier}},
        {QStringLiteral("DOWN"), {Qt::Key_Down, QString(), Qt::NoModifier}},
        {QStringLiteral("SHIFT+HOME"), {Qt::Key_Home, QString(), Qt::ShiftModifier}},
        {QStringLiteral("SHIFT+END"), {Qt::Key_End, QString(), Qt::ShiftModifier}},
        {QStringLiteral("ENTER"), {Qt::Key_Return, QString(QChar(13)), Qt::NoModifier}},
        {QStringLiteral("KPENTER"), {Qt::Key_Enter, QString(QChar(13)), Qt::KeypadModifier}},
        {QStringLiteral("ESC"), {Qt::Key_Escape, QString(QChar(27)), Qt::NoModifier}},
        {QStringLiteral("CTRL+A"), {Qt::Key_A, QString(QChar(1)), Qt::ControlModifier}},
        {QStringLiteral("CTRL+C"), {Qt::Key_C, QString(QChar(3)), Qt::ControlModifier}},
        {QStringLiteral("CTRL+V"), {Qt::Key_V, QString(QChar(22)), Qt::ControlModifier}},
        {QStringLiteral("CTRL+X"), {Qt::Key_X, QString(QChar(24)), Qt::ControlModifier}},
    };
    return keys;
}

// The key and modifiers that type one plain character on a keyboard.
NamedKey keyFor(QChar c) {
    if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        return {Qt::Key(Qt::Key_A + (c.unicode() - 'A')), QString(c), Qt::ShiftModifier};
    if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
        return {Qt::Key(Qt::Key_A + (c.unicode() - 'a')), QString(c), Qt::NoModifier};
    // Qt's key values for the other printable characters are their upper-case codes.
    return {Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier};
}

void press(QWidget* target, const NamedKey& k) {
    QTest::sendKeyEvent(QTest::Click, target, k.key, k.text, k.modifiers);
}

QString buttonsOf(QMessageBox::StandardButtons buttons) {
    QStringList names;
    if (buttons & QMessageBox::Ok) names << QStringLiteral("OK");
    if (buttons & QMessageBox::Yes) names << QStringLiteral("Yes");
    if (buttons & QMessageBox::No) names << QStringLiteral("No");
    return names.join(QStringLiteral(", "));
}

QString iconOf(QMessageBox::Icon icon) {
    switch (icon) {
        case QMessageBox::NoIcon:
            return QStringLiteral("no icon");
        case QMessageBox::Information:
            return QStringLiteral("information");
        case QMessageBox::Question:
            return QStringLiteral("question");
        case QMessageBox::Warning:
            return QStringLiteral("warning");
        case QMessageBox::Critical:
            return QStringLiteral("critical");
    }
    return QStringLiteral("?");
}

}  // namespace

ScreenDriver::ScreenDriver(AppUnderTest& app, ScreenId id) : app_(app), id_(id), screen_(app.open(id)) {}

bool ScreenDriver::isOpen() const {
    return app_.screen(id_) != nullptr && app_.screen(id_) == screen_;
}

QWidget* ScreenDriver::control(const QString& name) const {
    auto* w = screen_ ? screen_->findChild<QWidget*>(name) : nullptr;
    if (!w) qFatal("no control %s on the screen", qPrintable(name));
    return w;
}

QLineEdit* ScreenDriver::edit(const QString& name) const {
    auto* e = qobject_cast<QLineEdit*>(control(name));
    if (!e) qFatal("%s is no text box", qPrintable(name));
    return e;
}

QComboBox* ScreenDriver::combo(const QString& name) const {
    auto* c = qobject_cast<QComboBox*>(control(name));
    if (!c) qFatal("%s is no drop-down box", qPrintable(name));
    return c;
}

QAbstractButton* ScreenDriver::button(const QString& name) const {
    auto* b = qobject_cast<QAbstractButton*>(control(name));
    if (!b) qFatal("%s is no button", qPrintable(name));
    return b;
}

QString ScreenDriver::text(const QString& name) const {
    QWidget* w = control(name);
    if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
    return edit(name)->text();
}

QStringList ScreenDriver::texts(const QStringList& names) const {
    QStringList out;
    for (const QString& name : names) out << text(name);
    return out;
}

void ScreenDriver::place(const QString& name, const QString& value) {
    QWidget* w = control(name);
    if (auto* c = qobject_cast<QComboBox*>(w))
        c->setEditText(value);
    else
        edit(name)->setText(value);
}

QString ScreenDriver::focusName() {
    QWidget* f = QApplication::focusWidget();
    if (!f) return QStringLiteral("<nothing>");
    if (auto* c = qobject_cast<QComboBox*>(f->parentWidget()); c && c->lineEdit() == f)
        return c->objectName();
    return f->objectName();
}

void ScreenDriver::click(const QString& name) {
    QWidget* w = control(name);
    if (auto* c = qobject_cast<QComboBox*>(w); c && c->lineEdit()) w = c->lineEdit();
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

void ScreenDriver::tab() {
    QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_Tab, QString(QChar(9)),
                        Qt::NoModifier);
}

void ScreenDriver::backtab() {
    QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_Backtab, QString(QChar(9)),
                        Qt::ShiftModifier);
}

void ScreenDriver::typeInto(QWidget* target, const QString& script) {
    if (auto* c = qobject_cast<QComboBox*>(target); c && c->lineEdit()) target = c->lineEdit();
    for (qsizetype i = 0; i < script.size(); ++i) {
        if (script[i] == QLatin1Char('{')) {
            const qsizetype close = script.indexOf(QLatin1Char('}'), i);
            const auto named = namedKeys().find(script.mid(i + 1, close - i - 1));
            if (close < 0 || named == namedKeys().end()) qFatal("unknown key in %s", qPrintable(script));
            press(target, named->second);
            i = close;
            continue;
        }
        press(target, keyFor(script[i]));
    }
}

void ScreenDriver::typeHere(const QString& script) {
    typeInto(QApplication::focusWidget(), script);
}

QString face(const QString& title, const QString& text, const QString& buttons, const QString& icon) {
    return QStringLiteral("%1 | %2 | %3 | %4").arg(title, text, buttons, icon);
}

QString noRecord() {
    return face(QStringLiteral("KORVALE"), QStringLiteral("there is no record related to this name"));
}

QString noCurrentRow() {
    return face(QStringLiteral("KORVALE"), QStringLiteral("*No current record*"));
}

QString dateMessage() {
    return face(QStringLiteral("KORVALE"), QStringLiteral("A VALID DATE MUST BE GIVEN (EX. '23/07/87')"));
}

QString faceOf(const BoxRequest& request) {
    const QString buttons =
        request.buttons == BoxButtons::YesNo ? QStringLiteral("Yes, No") : QStringLiteral("OK");
    const QString icon = request.icon == BoxIcon::Information ? QStringLiteral("information")
                         : request.icon == BoxIcon::Question  ? QStringLiteral("question")
                                                              : QStringLiteral("no icon");
    return face(request.title, request.text, buttons, icon);
}

QStringList facesOf(const BoxAnswers& boxes) {
    QStringList out;
    for (const BoxRequest& r : boxes.shown()) out << faceOf(r);
    return out;
}

QStringList matchedFaces(const QStringList& actual, const QStringList& expected) {
    QStringList out = actual;
    for (qsizetype i = 0; i < out.size() && i < expected.size(); ++i) {
        if (!expected[i].contains(QLatin1Char('*'))) continue;
        QString pattern = QRegularExpression::escape(expected[i]);
        pattern.replace(QStringLiteral("\\*"), QStringLiteral(".*"));
        const QRegularExpression wildcard(QRegularExpression::anchoredPattern(pattern),
                                          QRegularExpression::DotMatchesEverythingOption);
        if (wildcard.match(out[i]).hasMatch()) out[i] = expected[i];
    }
    return out;
}

RealBoxFaces::RealBoxFaces(int ceiling) : ceiling_(ceiling) {
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &RealBoxFaces::poll);
    timer_.start();
}

void RealBoxFaces::answer(std::initializer_list<QString> buttons) {
    answers_.insert(answers_.end(), buttons);
}

void RealBoxFaces::poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    faces_ << face(box->windowTitle(), box->text(), buttonsOf(box->standardButtons()), iconOf(box->icon()));
    if (faces_.size() > ceiling_) {
        box->reject();
        return;
    }
    QAbstractButton* pressed = box->button(QMessageBox::Ok);
    if (!pressed) {
        const QString wanted = answers_.empty() ? QStringLiteral("No") : answers_.front();
        if (!answers_.empty()) answers_.pop_front();
        pressed = box->button(wanted == QLatin1String("Yes") ? QMessageBox::Yes : QMessageBox::No);
    }
    pressed->click();
}

void storeRows(const AppUnderTest& app, const QStringList& rows) {
    std::vector<korvale::testbook::Row> stored;
    for (const QString& row : rows) {
        const QStringList columns = row.split(QLatin1Char('|'));
        if (columns.size() != static_cast<qsizetype>(korvale::kColumnCount))
            qFatal("bad row %s", qPrintable(row));
        korvale::testbook::Row r;
        for (std::size_t i = 0; i < korvale::kColumnCount; ++i) {
            const QString& c = columns[static_cast<qsizetype>(i)];
            if (c != QLatin1String("<null>")) r[i] = c.toStdString();
        }
        stored.push_back(std::move(r));
    }
    korvale::testbook::insertRows(app.bookPath(), stored);
}

QStringList bookRows(const AppUnderTest& app) {
    return korvale::testbook::describe(korvale::testbook::readAllRows(app.bookPath()));
}

QString sampleRow(const QString& name, const QString& tag, const QString& dob) {
    return QStringLiteral("%1|%2 street|%2@mail|%3|%2 home|%2 work|%2 cell|%2 remarks|FRIEND")
        .arg(name, tag, dob);
}

QString ann(const QString& tag) {
    return sampleRow(QStringLiteral("ann lee"), tag);
}

QString bob(const QString& tag) {
    return sampleRow(QStringLiteral("bob"), tag);
}

QStringList shownAs(const QString& row) {
    return row.split(QLatin1Char('|'));
}

QStringList categories(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}
