#include "screens/RecordFields.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStringDecoder>
#include <array>
#include <limits>
#include <utility>

#include "app/MessageBoxes.h"
#include "store/StoreError.h"

using korvale::Column;

namespace RecordFields {

namespace {

// The field that shows each column, in the order a look-up copies them: the category comes before
// the remarks there.
constexpr std::array<std::pair<Column, const char*>, 8> kTextColumns{{
    {Column::Name, "Text1"},
    {Column::address, "Text2"},
    {Column::email_id, "Text3"},
    {Column::dob, "Text4"},
    {Column::H_PHONE, "Text5"},
    {Column::W_PHONE, "Text6"},
    {Column::cell_no, "Text7"},
    {Column::remarks, "Text8"},
}};

QWidget* field(const QWidget* screen, const char* name) {
    auto* w = screen->findChild<QWidget*>(QString::fromLatin1(name));
    Q_ASSERT_X(w, "RecordFields", name);
    return w;
}

}  // namespace

std::string toStore(const QString& text) {
    return text.toStdString();
}
namespace {

// A leading byte-order mark is part of the stored text; QString::fromUtf8 would drop it, and the next
// UPDATE would write the row back without it.
QString decode(const std::string& text, bool& wasUtf8) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QString decoded = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    wasUtf8 = !utf8.hasError();
    return decoded;
}

}  // namespace

QString fromStore(const std::string& text) {
    bool wasUtf8 = true;
    return decode(text, wasUtf8);
}

QString fromStoreExactly(const std::string& text) {
    bool wasUtf8 = true;
    QString shown = decode(text, wasUtf8);
    // Bytes that are not UTF-8 would be shown as replacement characters, and UPDATE would write
    // those back over the original bytes.
    if (!wasUtf8) throw korvale::StoreError("A column of the record holds bytes that are not UTF-8 text");
    return shown;
}

QString text(const QWidget* screen, const char* name) {
    QWidget* w = field(screen, name);
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
    return static_cast<QLineEdit*>(w)->text();
}

void setText(QWidget* screen, const char* name, const QString& value) {
    QWidget* w = field(screen, name);
    if (auto* combo = qobject_cast<QComboBox*>(w))
        combo->setEditText(value);
    else
        static_cast<QLineEdit*>(w)->setText(value);
}

void clear(QWidget* screen, std::initializer_list<const char*> fields) {
    for (const char* name : fields) setText(screen, name, QString());
}

korvale::ClientRecord fromFields(const QWidget* screen) {
    korvale::ClientRecord record;
    for (const auto& [column, name] : kTextColumns) record[column] = toStore(text(screen, name));
    record[Column::CATEGORY] = toStore(text(screen, "Combo1"));
    return record;
}

void showCurrentRow(QWidget* screen, korvale::Recordset& rows, const char* categoryField) {
    for (const auto& [column, name] : kTextColumns) {
        if (column == Column::remarks) {
            setText(screen, categoryField,
                    fromStoreExactly(rows.Field(korvale::columnName(Column::CATEGORY))));
        }
        setText(screen, name, fromStoreExactly(rows.Field(korvale::columnName(column))));
    }
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

void openAndWalk(korvale::ClientStore& store, const std::filesystem::path& appDir, QWidget* screen) {
    store.open(appDir, korvale::RecordSource::wholeTable());
    if (const auto last = store.walkNames()) setText(screen, "Text10", fromStore(*last));
}

void lookUp(korvale::ClientStore& store, QWidget* screen, const char* categoryField,
            const char* noRecordMessage) {
    try {
        store.lookUp(toStore(text(screen, "Text10")));
        showCurrentRow(screen, store.rows(), categoryField);
    } catch (const std::exception&) {
        MessageBoxes::show(screen, QString::fromLatin1(noRecordMessage));
    }
}

void refreshLookUpScreen(QWidget* screen) {
    clear(screen,
          {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9", "Text10"});
    screen->repaint();
    MessageBoxes::show(screen, QStringLiteral("FORM IS REFRESH"));
}

}  // namespace RecordFields
