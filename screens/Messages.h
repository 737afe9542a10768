#pragma once

#include <QString>

// The titles of the record screens' message boxes, each written once. A box given none of its own
// carries the application's title (MessageBoxes::kApplicationTitle).
namespace Titles {
inline const QString kOnLineKorvale = QStringLiteral("On-Line Korvale");
inline const QString kConfirmation = QStringLiteral("CONFIRMATION");
inline const QString kInformation = QStringLiteral("INFORMATION");
}  // namespace Titles
