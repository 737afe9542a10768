#include "tests/robust/ScreenDriving.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "tests/support/TestBook.h"

namespace korvale::robust {

namespace {

QWidget* child(QWidget* screen, const char* name) {
    auto* w = screen->findChild<QWidget*>(QString::fromLatin1(name));
    if (!w) qFatal("no control %s on %s", name, qPrintable(screen->objectName()));
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->lineEdit();
    return w;
}

}  // namespace

ScreenId screenOf(Write write) {
    switch (write) {
        case Write::Add:
            return ScreenId::ADD_FORM;
        case Write::Update:
            return ScreenId::UPDATE_FORM;
        case Write::Delete:
            return ScreenId::DELETE_FORM;
    }
    return ScreenId::MENU_FORM;
}

QString doneMessage(Write write) {
    switch (write) {
        case Write::Add:
            return QStringLiteral("Record Is Saved");
        case Write::Update:
            return QStringLiteral("Record has been updated");
        case Write::Delete:
            return QStringLiteral("Record has been deleted");
    }
    return {};
}

QMap<QString, QString> fieldTexts(const QWidget* screen) {
    QMap<QString, QString> texts;
    for (const auto* edit : screen->findChildren<QLineEdit*>())
        if (!edit->objectName().isEmpty()) texts[edit->objectName()] = edit->text();
    for (const auto* combo : screen->findChildren<QComboBox*>())
        texts[combo->objectName()] = combo->currentText();
    return texts;
}

void typeInto(QWidget* screen, const char* field, const QString& text) {
    QWidget* w = child(screen, field);
    for (const char32_t c : text.toUcs4()) {
        if (c >= 0x20 && c < 0x7f) {
            QTest::keyClick(w, static_cast<char>(c));
        } else {
            // A key of a keyboard layout the test's key table does not know: the key press carries the
            // character as its text, as the platform delivers it.
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString::fromUcs4(&c, 1), Qt::NoModifier);
        }
    }
}

void eraseField(QWidget* screen, const char* field) {
    QWidget* w = child(screen, field);
    QTest::keyClick(w, Qt::Key_End);
    const auto length = qobject_cast<QLineEdit*>(w)->text().size();
    for (qsizetype i = 0; i < length; ++i) QTest::keyClick(w, Qt::Key_Backspace);
}

void pasteInto(QWidget* screen, const char* field, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    QTest::keyClick(child(screen, field), Qt::Key_Insert, Qt::ShiftModifier);
}

void click(QWidget* screen, const char* button) {
    auto* b = screen->findChild<QAbstractButton*>(QString::fromLatin1(button));
    if (!b) qFatal("no button %s on %s", button, qPrintable(screen->objectName()));
    QTest::mouseClick(b, Qt::LeftButton);
}

std::vector<ClientRecord> startingRows() {
    return {testbook::sampleRecord("alice", "a"), testbook::sampleRecord("carol", "c"),
            testbook::sampleRecord("dave", "d")};
}

ClientRecord typedRecord() {
    ClientRecord r;
    r[Column::Name] = "zoe quinn";
    r[Column::address] = "12 high street";
    r[Column::email_id] = "zoe@mail";
    r[Column::dob] = "23-07-1987";
    r[Column::H_PHONE] = "555-1234";
    r[Column::W_PHONE] = "";
    r[Column::cell_no] = "0777";
    r[Column::remarks] = "met at the fair";
    r[Column::CATEGORY] = "FRIEND";
    return r;
}

Screen* prepareWrite(AppUnderTest& app, Write write) {
    Screen* screen = app.open(screenOf(write));
    if (!screen) return nullptr;
    switch (write) {
        case Write::Add: {
            const ClientRecord r = typedRecord();
            auto q = [](const std::string& s) { return QString::fromStdString(s); };
            typeInto(screen, "Text1", q(r[Column::Name]));
            typeInto(screen, "Text2", q(r[Column::address]));
            typeInto(screen, "Text3", q(r[Column::email_id]));
            eraseField(screen, "Text4");
            typeInto(screen, "Text4", q(r[Column::dob]));
            typeInto(screen, "Text5", q(r[Column::H_PHONE]));
            typeInto(screen, "Text7", q(r[Column::cell_no]));
            typeInto(screen, "Text8", q(r[Column::remarks]));
            typeInto(screen, "Combo1", q(r[Column::CATEGORY]));
            break;
        }
        case Write::Update:
            typeInto(screen, "Text10", QStringLiteral("carol"));
            click(screen, "OK");
            typeInto(screen, "Text2", QStringLiteral(" changed"));
            break;
        case Write::Delete:
            eraseField(screen, "Text10");
            typeInto(screen, "Text10", QStringLiteral("carol"));
            break;
    }
    return screen;
}

void pressWrite(Screen* screen, Write write, BoxAnswers& boxes, bool expectDone) {
    switch (write) {
        case Write::Add:
            if (expectDone)
                boxes.answer({MessageBoxes::kYes, MessageBoxes::kNo});
            else
                boxes.answer({MessageBoxes::kYes});
            click(screen, "SUBMIT");
            break;
        case Write::Update:
            boxes.answer({MessageBoxes::kYes});
            click(screen, "UPDATE");
            break;
        case Write::Delete:
            boxes.answer({MessageBoxes::kYes});
            click(screen, "REMOVE");
            break;
    }
}

std::vector<ClientRecord> rowsAfter(Write write, const std::vector<ClientRecord>& before) {
    std::vector<ClientRecord> after = before;
    switch (write) {
        case Write::Add:
            after.push_back(typedRecord());
            break;
        case Write::Update:
            for (auto& r : after) {
                if (r[Column::Name] == "carol") {
                    r[Column::address] += " changed";
                    break;
                }
            }
            break;
        case Write::Delete:
            for (auto it = after.begin(); it != after.end(); ++it) {
                if ((*it)[Column::Name] == "carol") {
                    after.erase(it);
                    break;
                }
            }
            break;
    }
    return after;
}

const BoxRequest* reportNaming(const BoxAnswers& boxes, const std::filesystem::path& book) {
    const QString path = QString::fromStdString(book.string());
    for (const auto& box : boxes.shown())
        if (box.title == QLatin1String(MessageBoxes::kApplicationTitle) && box.text.contains(path))
            return &box;
    return nullptr;
}

bool shown(const BoxAnswers& boxes, const QString& text) {
    return boxes.texts().contains(text);
}

}  // namespace korvale::robust
