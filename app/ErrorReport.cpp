#include "ErrorReport.h"

#include <QString>

#include "MessageBoxes.h"

void reportFailure(QWidget* owner, const std::exception& failure) {
    MessageBoxes::show(owner, QString::fromUtf8(failure.what()), BoxButtons::Ok, BoxIcon::None,
                       QString::fromLatin1(MessageBoxes::kApplicationTitle));
}
