#pragma once

#include <QString>
#include <array>
#include <filesystem>

#include "store/ClientRecord.h"
#include "store/ClientStore.h"

class QComboBox;
class QLineEdit;
class QWidget;

// The nine column fields of one record screen, reached through the screen's generated ui members.
// Every record screen shows a column in the field of the same name: Text1 to Text8 for Name to
// remarks, and the category in Combo1 on the writing screens or Text9 on the others.
class RecordFields {
public:
    template <class Ui>
    static RecordFields of(Ui& ui);

    // The field that shows the column: a text box, or the category box.
    QWidget* widget(korvale::Column column) const;
    // What the field shows: a text box's text, or the category box's text part.
    QString text(korvale::Column column) const;
    void setText(korvale::Column column, const QString& text) const;

    // The nine columns as the operator left them in the fields, exactly as typed.
    korvale::ClientRecord record() const;
    // Copies the current row into the fields, one column after the other, the category before the
    // remarks. A column that cannot be read stops the copy there: the fields copied so far keep their
    // new text.
    void show(const korvale::Recordset& rows) const;
    // Empties Text1 to Text8, in that order, and then the category when asked to.
    void clear(bool category) const;

private:
    RecordFields(std::array<QLineEdit*, 8> texts, QComboBox* categoryBox, QLineEdit* categoryText)
        : texts_(texts), categoryBox_(categoryBox), categoryText_(categoryText) {}

    // Indexed by korvale::Column, Name to remarks.
    std::array<QLineEdit*, 8> texts_;
    QComboBox* categoryBox_;
    QLineEdit* categoryText_;
};

template <class Ui>
RecordFields RecordFields::of(Ui& ui) {
    // The one table of fields and columns, in korvale::Column order.
    const std::array<QLineEdit*, 8> texts{ui.Text1, ui.Text2, ui.Text3, ui.Text4,
                                          ui.Text5, ui.Text6, ui.Text7, ui.Text8};
    if constexpr (requires { ui.Combo1; })
        return RecordFields(texts, ui.Combo1, nullptr);
    else
        return RecordFields(texts, nullptr, ui.Text9);
}

// What the record screens share besides their fields.
namespace RecordScreen {

// The category box of the writing screens takes any text of any length, exactly as typed: no
// completion, no re-casing to a listed word.
void prepareCategoryBox(QComboBox* box);
// Offers the three categories in their order, none chosen, the text empty.
void fillCategoryList(QComboBox* box);

// Opens the screen's store on the whole table standing on its first row, if it has one.
void openOnFirstRow(korvale::ClientStore& store, const std::filesystem::path& appDir);

// Opens the screen's store on the whole table and walks it: the look-up field ends up holding the
// name of the table's last row, or keeps its text when the table is empty.
void openAndWalk(korvale::ClientStore& store, const std::filesystem::path& appDir, QLineEdit* lookUpField);

// The look-up by the name in the look-up field: the first row of that name into the fields, or the
// screen's "no record" message, whatever failed.
void lookUp(korvale::ClientStore& store, const QLineEdit* lookUpField, const RecordFields& fields,
            const QString& noRecordMessage);

// The refresh of the search and deletion screens: every box empty, the look-up field last, then the
// message.
void refreshLookUpScreen(QWidget* screen, const RecordFields& fields, QLineEdit* lookUpField);

std::string toStore(const QString& text);
QString fromStore(const std::string& text);
// As fromStore, but fails on bytes that are not UTF-8 instead of replacing them.
QString fromStoreExactly(const std::string& text);

}  // namespace RecordScreen
