#pragma once

#include <QString>
#include <filesystem>
#include <initializer_list>

#include "store/ClientRecord.h"
#include "store/ClientStore.h"

class QComboBox;
class QWidget;

// How the record screens move a record between their fields and their store. Every screen names its
// fields the same way: Text1 to Text8 for the columns, Combo1 or Text9 for the category, Text10 for
// the look-up name.
namespace RecordFields {

// The text of a field, or of a category box's text part.
QString text(const QWidget* screen, const char* field);
void setText(QWidget* screen, const char* field, const QString& text);
// Empties the fields, in the order given.
void clear(QWidget* screen, std::initializer_list<const char*> fields);

// The nine columns as the operator left them in the fields, exactly as typed.
korvale::ClientRecord fromFields(const QWidget* screen);

// Copies the current row into the fields, one column after the other, CATEGORY before remarks. A
// column that cannot be read stops the copy there: the fields copied so far keep their new text.
void showCurrentRow(QWidget* screen, korvale::Recordset& rows, const char* categoryField);

// The category box of the writing screens takes any text of any length, exactly as typed: no
// completion, no re-casing to a listed word.
void prepareCategoryBox(QComboBox* box);
// Offers the three categories in their order, none chosen, the text empty.
void fillCategoryList(QComboBox* box);

// Opens the screen's store on the whole table standing on its first row, if it has one.
void openOnFirstRow(korvale::ClientStore& store, const std::filesystem::path& appDir);

// Opens the screen's store on the whole table and walks it: the look-up field ends up holding the
// name of the table's last row, or keeps its text when the table is empty.
void openAndWalk(korvale::ClientStore& store, const std::filesystem::path& appDir, QWidget* screen);

// The look-up by the name in Text10: the first row of that name into the fields (the category into
// categoryField), or the screen's "no record" message, whatever failed.
void lookUp(korvale::ClientStore& store, QWidget* screen, const char* categoryField,
            const char* noRecordMessage);

// The refresh of the search and deletion screens: every box empty, then the message.
void refreshLookUpScreen(QWidget* screen);

std::string toStore(const QString& text);
QString fromStore(const std::string& text);
// As fromStore, but fails on bytes that are not UTF-8 instead of replacing them.
QString fromStoreExactly(const std::string& text);

}  // namespace RecordFields
