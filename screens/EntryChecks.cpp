#include "screens/EntryChecks.h"

#include <QWidget>

#include "rules/DateCheck.h"
#include "screens/FilteredEdit.h"
#include "app/MessageBoxes.h"
#include "screens/RecordFields.h"

namespace EntryChecks {

void setKeyRule(QWidget* screen, std::initializer_list<const char*> fields, korvale::rules::KeyRule rule) {
    for (const char* name : fields) {
        auto* edit = screen->findChild<FilteredEdit*>(QString::fromLatin1(name));
        Q_ASSERT_X(edit, "EntryChecks", name);
        edit->setKeyRule(rule);
    }
}

void runRequiredCheck(QWidget* screen, const korvale::rules::RequiredCheck& check) {
    if (!korvale::rules::isEmptyField(RecordFields::text(screen, check.tested))) return;
    MessageBoxes::show(screen, QString::fromLatin1(check.message), BoxButtons::Ok, BoxIcon::None,
                       QString::fromLatin1(korvale::rules::kRequiredCheckTitle));
    screen->findChild<QWidget*>(QString::fromLatin1(check.tested))->setFocus();
}

void runDateCheck(QWidget* screen) {
    if (korvale::rules::VALIDDATE(RecordFields::text(screen, "Text4"))) return;
    MessageBoxes::show(screen, QString::fromLatin1(kDateMessage));
    RecordFields::setText(screen, "Text4", QString());
    screen->findChild<QWidget*>(QStringLiteral("Text4"))->setFocus();
}

}  // namespace EntryChecks
