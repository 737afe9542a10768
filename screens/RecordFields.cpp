#include "screens/RecordFields.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringDecoder>
#include <limits>

#include "app/MessageBoxes.h"
#include "store/StoreError.h"

using korvale::Column;

namespace {

bool isCategory(Column column) {
    return column == Column::CATEGORY;
}
std::size_t indexOf(Column column) {
    return static_cast<std::size_t>(column);
}

}  // namespace

QWidget* RecordFields::widget(Column column) const {
    if (!isCategory(column)) return texts_[indexOf(column)];
    if (categoryBox_) return categoryBox_;
    return categoryText_;
}

QString RecordFields::text(Column column) const {
    if (isCategory(column) && categoryBox_) return categoryBox_->currentText();
    return static_cast<QLineEdit*>(widget(column))->text();
}

void RecordFields::setText(Column column, const QString& value) const {
    if (isCategory(column) && categoryBox_)
        categoryBox_->setEditText(value);
    else
        static_cast<QLineEdit*>(widget(column))->setText(value);
}

korvale::ClientRecord RecordFields::record() const {
    korvale::ClientRecord record;
    for (std::size_t i = 0; i < korvale::kColumnCount; ++i) {
        const auto column = static_cast<Column>(i);
        record[column] = RecordScreen::toStore(text(column));
    }
    return record;
}

void RecordFields::show(const korvale::Recordset& rows) const {
    // The table's order, except that the category is read before the remarks.
    constexpr Column kShowOrder[] = {Column::Name,    Column::address,  Column::email_id,
                                     Column::dob,     Column::H_PHONE,  Column::W_PHONE,
                                     Column::cell_no, Column::CATEGORY, Column::remarks};
    for (const Column column : kShowOrder)
        setText(column, RecordScreen::fromStoreExactly(rows.Field(korvale::columnName(column))));
}

void RecordFields::clear(bool category) const {
    for (QLineEdit* field : texts_) field->clear();
    if (category) setText(Column::CATEGORY, QString());
}

namespace RecordScreen {

std::string toStore(const QString& text) {
    return text.toStdString();
}

namespace {

// A leading byte-order mark is part of the stored text; QString::fromUtf8 would drop it, and the next
// UPDATE would write the row back without it.
QString decode(const std::string& text, QStringDecoder& utf8) {
    return utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

QStringDecoder utf8Decoder() {
    return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
}

}  // namespace

QString fromStore(const std::string& text) {
    QStringDecoder utf8 = utf8Decoder();
    return decode(text, utf8);
}

QString fromStoreExactly(const std::string& text) {
    QStringDecoder utf8 = utf8Decoder();
    QString shown = decode(text, utf8);
    // Bytes that are not UTF-8 would be shown as replacement characters, and UPDATE would write
    // those back over the original bytes.
    if (utf8.hasError())
        throw korvale::StoreError("A column of the record holds bytes that are not UTF-8 text");
    return shown;
}

void prepareCategoryBox(QComboBox* box) {
    box->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    box->setCompleter(nullptr);
}

void fillCategoryList(QComboBox* box) {
    for (const char* category : {"CLIENT", "RELATIVE", "FRIEND"}) box->addItem(QString::fromLatin1(category));
    box->setCurrentIndex(-1);
    box->setEditText(QString());
}

void openOnFirstRow(korvale::ClientStore& store, const std::filesystem::path& appDir) {
    store.open(appDir, korvale::RecordSource::wholeTable());
    if (!store.rows().Eof()) store.rows().MoveFirst();
}

void openAndWalk(korvale::ClientStore& store, const std::filesystem::path& appDir, QLineEdit* lookUpField) {
    store.open(appDir, korvale::RecordSource::wholeTable());
    if (const auto last = store.walkNames()) lookUpField->setText(fromStore(*last));
}

void lookUp(korvale::ClientStore& store, const QLineEdit* lookUpField, const RecordFields& fields,
            const QString& noRecordMessage) {
    try {
        store.lookUp(toStore(lookUpField->text()));
        fields.show(store.rows());
    } catch (const std::exception&) {
        MessageBoxes::show(lookUpField->window(), noRecordMessage);
    }
}

void refreshLookUpScreen(QWidget* screen, const RecordFields& fields, QLineEdit* lookUpField) {
    fields.clear(true);
    lookUpField->clear();
    screen->repaint();
    MessageBoxes::show(screen, QStringLiteral("FORM IS REFRESH"));
}

}  // namespace RecordScreen
