#include "app/Fonts.h"

#include <QApplication>
#include <QFont>
#include <QString>
#include <QStringList>

void registerFontSubstitutes() {
    // Stand-ins from fonts-urw-base35 and fonts-liberation2. The second name of each list is used only
    // if the first one is missing.
    QFont::insertSubstitutions(QStringLiteral("Bookman Old Style"),
                               {QStringLiteral("URW Bookman"), QStringLiteral("Nimbus Roman")});
    QFont::insertSubstitutions(QStringLiteral("Monotype Corsiva"),
                               {QStringLiteral("Z003"), QStringLiteral("URW Chancery L")});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans")});
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans")});

    // The default dialog font: used by every field, combo box, menu and message box that names no font.
    QFont dialogFont(QStringLiteral("MS Sans Serif"));
    dialogFont.setPointSizeF(8.25);
    QApplication::setFont(dialogFont);
}
