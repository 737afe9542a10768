#include "app/ErrorReport.h"

#include <QString>

#include "app/MessageBoxes.h"

void reportFailure(QWidget* owner, const std::exception& failure) {
    MessageBoxes::show(owner, QString::fromUtf8(failure.what()), BoxButtons::Ok, BoxIcon::None,
                       QString::fromLatin1(MessageBoxes::kApplicationTitle));
}
