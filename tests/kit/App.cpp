#include "tests/kit/App.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <map>

#include "app/ClickFrame.h"

namespace kit {

App::App(const TempBook& book) : app_(std::make_unique<KorvaleApplication>(QString::fromStdString(book.dir()))) {}

App::~App() {
    app_.reset();
    // Screens unloaded during the test are destroyed here, before their book goes.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool App::ended() {
    QTest::qWait(1);
    return screens().hasEnded();
}

bool activate(QWidget* window) {
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

Screen* App::open(ScreenId id) {
    if (Screen* entrance = screen(ScreenId::ENT_FRM)) play(entrance, QStringLiteral("click NEXT"));
    if (Screen* splash = screen(ScreenId::frmSplash))
        QTest::mouseClick(splash->findChild<ClickFrame*>(), Qt::LeftButton, {}, QPoint(5, 5));
    Screen* menu = screen(ScreenId::MENU_FORM);
    if (!menu || !activate(menu)) return nullptr;
    if (id == ScreenId::MENU_FORM) return menu;
    const std::map<ScreenId, Qt::Key> shortcuts{{ScreenId::ADD_FORM, Qt::Key_A},
                                                {ScreenId::UPDATE_FORM, Qt::Key_U},
                                                {ScreenId::SEARCH_FORM, Qt::Key_S},
                                                {ScreenId::DELETE_FORM, Qt::Key_D}};
    QTest::keyClick(menu, shortcuts.at(id), Qt::ControlModifier);
    Screen* opened = screen(id);
    return opened && activate(opened) ? opened : nullptr;
}

namespace {

QWidget* control(QWidget* window, const QString& name) {
    auto* w = window->findChild<QWidget*>(name);
    if (auto* box = qobject_cast<QComboBox*>(w)) return box->lineEdit();
    return w;
}

struct Key {
    Qt::Key key;
    QString text;
    Qt::KeyboardModifiers modifiers;
};

Key keyFor(const QString& named) {
    static const std::map<QString, Key> keys{
        {"BS", {Qt::Key_Backspace, QChar(8), {}}},      {"DEL", {Qt::Key_Delete, QChar(127), {}}},
        {"ENTER", {Qt::Key_Return, QChar(13), {}}},     {"ESC", {Qt::Key_Escape, QChar(27), {}}},
        {"HOME", {Qt::Key_Home, {}, {}}},               {"SHIFT+END", {Qt::Key_End, {}, Qt::ShiftModifier}},
        {"CTRL+V", {Qt::Key_V, QChar(22), Qt::ControlModifier}},
    };
    if (named.size() == 1) {
        const QChar c = named[0];
        return {Qt::Key(c.toUpper().unicode()), named, c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier};
    }
    const auto it = keys.find(named);
    return it == keys.end() ? Key{Qt::Key_unknown, {}, {}} : it->second;
}

bool type(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        QWidget* target = QApplication::focusWidget();
        QString named = text.mid(i, 1);
        if (text[i] == '{') {
            const qsizetype close = text.indexOf('}', i);
            named = text.mid(i + 1, close - i - 1);
            i = close;
        }
        const Key key = keyFor(named);
        if (!target || key.key == Qt::Key_unknown) return false;
        QTest::sendKeyEvent(QTest::Click, target, key.key, key.text, key.modifiers);
    }
    return true;
}

bool step(QWidget* window, const QString& s) {
    if (s == "tab" || s == "backtab") {
        QWidget* focus = QApplication::focusWidget();
        if (!focus) return false;
        QTest::sendKeyEvent(QTest::Click, focus, s == "tab" ? Qt::Key_Tab : Qt::Key_Backtab, QChar(9),
                            s == "tab" ? Qt::NoModifier : Qt::ShiftModifier);
        return true;
    }
    if (s.startsWith("type ")) return type(s.mid(5));
    if (s.startsWith("compose ")) {
        // Dead keys and input methods deliver their text without a key press.
        QInputMethodEvent composed;
        composed.setCommitString(s.mid(8));
        return QApplication::focusWidget() && QApplication::sendEvent(QApplication::focusWidget(), &composed);
    }
    if (s.startsWith("click ")) {
        QWidget* w = control(window, s.mid(6));
        if (w) QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
        return w != nullptr;
    }
    const qsizetype eq = s.indexOf('=');
    auto* edit = qobject_cast<QLineEdit*>(control(window, s.left(eq)));
    if (eq < 0 || !edit) return false;
    edit->setText(s.mid(eq + 1));
    return true;
}

}  // namespace

bool play(QWidget* window, const QString& script) {
    for (const QString& s : script.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
        if (!window || !step(window, s)) {
            QTest::qFail(qPrintable("cannot play the step: " + s), __FILE__, __LINE__);
            return false;
        }
    }
    return true;
}

QString focusName() {
    QWidget* f = QApplication::focusWidget();
    if (!f) return QStringLiteral("<none>");
    if (auto* box = qobject_cast<QComboBox*>(f->parentWidget()); box && box->lineEdit() == f) return box->objectName();
    return f->objectName();
}

QString textOf(QWidget* window, const QString& name) {
    auto* edit = qobject_cast<QLineEdit*>(control(window, name));
    return edit ? edit->text() : QStringLiteral("<no field %1>").arg(name);
}

}  // namespace kit
