// SPDX-License-Identifier: MIT
#include "program.h"

namespace corvalen {

QFont ProgramFont(const layout::FontStyle& style)
{
    QFont font(QString::fromLatin1(kFontFamily));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(style.pointSize);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    return font;
}

QPixmap ProgramPixmap()
{
    return QPixmap(QStringLiteral(":/corvalen/icons/corvalen-32.png"));
}

QIcon ProgramIcon()
{
    return QIcon(ProgramPixmap());
}

}  // namespace corvalen
