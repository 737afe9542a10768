#include "RecordFields.h"

#include <QComboBox>
#include <QLineEdit>
#include <array>
#include <utility>

#include "MessageBoxes.h"

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

std::string toStore(const QString& text) { return text.toStdString(); }
QString fromStore(const std::string& text) { return QString::fromStdString(text); }

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
            setText(screen, categoryField, fromStore(rows.Field(korvale::columnName(Column::CATEGORY))));
        }
        setText(screen, name, fromStore(rows.Field(korvale::columnName(column))));
    }
}

void openAndWalk(korvale::ClientStore& store, const std::filesystem::path& appDir, QWidget* screen) {
    store.open(appDir, korvale::RecordSource::wholeTable());
    if (const auto last = store.walkNames()) setText(screen, "Text10", fromStore(*last));
}

void lookUp(korvale::ClientStore& store, QWidget* screen, const char* noRecordMessage) {
    try {
        store.lookUp(toStore(text(screen, "Text10")));
        showCurrentRow(screen, store.rows(), "Text9");
    } catch (const std::exception&) {
        MessageBoxes::show(screen, QString::fromLatin1(noRecordMessage));
    }
}

void refreshLookUpScreen(QWidget* screen) {
    clear(screen, {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9", "Text10"});
    screen->repaint();
    MessageBoxes::show(screen, QStringLiteral("FORM IS REFRESH"));
}

}  // namespace RecordFields
