#pragma once

#include <QMap>
#include <QString>
#include <string>

#include "tests/gui/AppUnderTest.h"
#include "tests/gui/BoxAnswers.h"
#include "store/ClientRecord.h"

namespace korvale::robust {

// The three ways the operator changes the book, each on its own screen.
enum class Write { Add, Update, Delete };

ScreenId screenOf(Write write);
// What the screen says once the change is on disk.
QString doneMessage(Write write);

// Every text field and the category box of a screen, by name: what the operator sees and has typed.
QMap<QString, QString> fieldTexts(const QWidget* screen);

// Types into a field key by key, as the operator does (the category box into its text part). Tab is
// a move, not a character: texts with control characters are pasted instead.
void typeInto(QWidget* screen, const char* field, const QString& text);
// Empties a field with End and Backspace, keys every entry rule lets through.
void eraseField(QWidget* screen, const char* field);
// Pastes into a field with Shift+Insert, the one way a text the keystroke rules would refuse gets in.
void pasteInto(QWidget* screen, const char* field, const QString& text);
void click(QWidget* screen, const char* button);

// The rows a test book starts with: "alice", "carol" and "dave", in that order.
std::vector<ClientRecord> startingRows();

// Opens the screen of the write and fills it as the operator would before pressing its button: Add
// types a whole new record, Update looks "carol" up and edits her address, Delete types "carol" as the
// name to remove. Returns the screen, or null when it could not be opened.
Screen* prepareWrite(AppUnderTest& app, Write write);
// Presses SUBMIT, UPDATE or REMOVE and confirms with Yes. With `expectDone`, also answers No to the
// addition screen's "add more" question that follows a save.
void pressWrite(Screen* screen, Write write, BoxAnswers& boxes, bool expectDone);
// The book's rows as the write, once done, leaves them.
std::vector<ClientRecord> rowsAfter(Write write, const std::vector<ClientRecord>& before);

// The error report among the boxes shown: titled "KORVALE", naming the book. Null when there is none.
const BoxRequest* reportNaming(const BoxAnswers& boxes, const std::filesystem::path& book);
bool shown(const BoxAnswers& boxes, const QString& text);

// The record typed by prepareWrite(Add), as the book must hold it.
ClientRecord typedRecord();

}  // namespace korvale::robust
