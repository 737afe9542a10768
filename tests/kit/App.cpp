#include "tests/kit/App.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <map>
#include <tuple>

#include "app/ClickFrame.h"

namespace kit {

App::App(const TempBook& book) : app_(std::make_unique<KorvaleApplication>(book.path())) {
    QObject::connect(app_.get(), &KorvaleApplication::ended, [this] { ended_ = true; });
}

App::~App() {
    app_.reset();
    // Screens unloaded during the test are destroyed here, before their book goes.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool App::ended() {
    QTest::qWait(1);
    return ended_;
}

bool activate(QWidget* window) {
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

Screen* App::open(ScreenId id) {
    if (Screen* entrance = screen(ScreenId::ENT_FRM)) play(entrance, "click NEXT");
    if (Screen* splash = screen(ScreenId::frmSplash))
        QTest::mouseClick(splash->findChild<ClickFrame*>(), Qt::LeftButton, {}, QPoint(5, 5));
    Screen* menu = screen(ScreenId::MENU_FORM);
    if (!menu || !activate(menu) || id == ScreenId::MENU_FORM) return menu;
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

// A key as the keyboard sends it: a plain character (a capital with Shift), or a named key with the
// character code it types.
bool press(const QString& key) {
    using Key = std::tuple<Qt::Key, QString, Qt::KeyboardModifiers>;
    static const std::map<QString, Key> named{{"BS", {Qt::Key_Backspace, "\b", {}}},
                                              {"DEL", {Qt::Key_Delete, "\x7f", {}}},
                                              {"ENTER", {Qt::Key_Return, "\r", {}}},
                                              {"HOME", {Qt::Key_Home, "", {}}},
                                              {"SHIFT+END", {Qt::Key_End, "", Qt::ShiftModifier}},
                                              {"CTRL+V", {Qt::Key_V, "\x16", Qt::ControlModifier}}};
    QWidget* target = QApplication::focusWidget();
    const auto it = named.find(key);
    if (!target || (key.size() != 1 && it == named.end())) return false;
    const QChar c = key[0];
    const auto [code, text, modifiers] =
        key.size() == 1
            ? Key{Qt::Key(c.toUpper().unicode()), key, c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier}
            : it->second;
    QTest::sendKeyEvent(QTest::Click, target, code, text, modifiers);
    return true;
}

bool step(QWidget* window, const QString& s) {
    QWidget* focus = QApplication::focusWidget();
    if (s == "tab" || s == "backtab") {
        if (focus)
            QTest::sendKeyEvent(QTest::Click, focus, s == "tab" ? Qt::Key_Tab : Qt::Key_Backtab, QChar(9),
                                s == "tab" ? Qt::NoModifier : Qt::ShiftModifier);
        return focus;
    }
    if (s.startsWith("type ")) {
        const QString text = s.mid(5);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype close = text[i] == '{' ? text.indexOf('}', i) : i;
            if (!press(close == i ? text.mid(i, 1) : text.mid(i + 1, close - i - 1))) return false;
            i = close;
        }
        return true;
    }
    if (s.startsWith("compose ")) {
        // Dead keys and input methods deliver their text without a key press.
        QInputMethodEvent composed;
        composed.setCommitString(s.mid(8));
        return focus && QApplication::sendEvent(focus, &composed);
    }
    if (s.startsWith("click ")) {
        QWidget* w = control(window, s.mid(6));
        if (w) QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
        return w;
    }
    auto* edit = qobject_cast<QLineEdit*>(control(window, s.section('=', 0, 0)));
    if (edit) edit->setText(s.section('=', 1));
    return edit && s.contains('=');
}

}  // namespace

bool play(QWidget* window, const QString& script) {
    for (const QString& s : script.split("; ", Qt::SkipEmptyParts)) {
        if (!window || !step(window, s)) {
            QTest::qFail(qPrintable("cannot play the step: " + s), __FILE__, __LINE__);
            return false;
        }
    }
    return true;
}

QString focusName() {
    QWidget* f = QApplication::focusWidget();
    if (!f) return "<none>";
    if (auto* box = qobject_cast<QComboBox*>(f->parentWidget()); box && box->lineEdit() == f)
        return box->objectName();
    return f->objectName();
}

QString textOf(QWidget* window, const QString& name) {
    auto* edit = qobject_cast<QLineEdit*>(control(window, name));
    return edit ? edit->text() : "<no field " + name + ">";
}

QString shownRow(QWidget* window) {
    QStringList texts;
    for (int i = 1; i <= 8; ++i) texts << textOf(window, QStringLiteral("Text%1").arg(i));
    const QString category = textOf(window, "Combo1");
    texts << (category.startsWith("<no field") ? textOf(window, "Text9") : category);
    return texts.join('|');
}

}  // namespace kit
