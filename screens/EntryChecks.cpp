#include "screens/EntryChecks.h"

#include <QWidget>

#include "app/MessageBoxes.h"
#include "rules/DateCheck.h"
#include "screens/Messages.h"

using korvale::Column;

namespace EntryChecks {

void watch(FocusMoves& moves, const RecordFields& fields,
           std::span<const korvale::rules::RequiredCheck> checks) {
    for (const auto& check : checks) {
        moves.onGotFocus(fields.widget(check.entered), [fields, &check] {
            runRequiredCheck(fields, check);
            if (check.thenDateCheck) runDateCheck(fields);
        });
    }
}

void runRequiredCheck(const RecordFields& fields, const korvale::rules::RequiredCheck& check) {
    if (!korvale::rules::isEmptyField(fields.text(check.tested))) return;
    QWidget* tested = fields.widget(check.tested);
    MessageBoxes::show(tested, QString::fromLatin1(check.message), BoxButtons::Ok, BoxIcon::None,
                       Titles::kOnLineKorvale);
    tested->setFocus();
}

void runDateCheck(const RecordFields& fields) {
    if (korvale::rules::VALIDDATE(fields.text(Column::dob))) return;
    QWidget* date = fields.widget(Column::dob);
    MessageBoxes::show(date, QString::fromLatin1(kDateMessage));
    fields.setText(Column::dob, QString());
    date->setFocus();
}

}  // namespace EntryChecks
