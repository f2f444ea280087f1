// SPDX-License-Identifier: MIT
#include "program.h"

namespace corvalen {

QFont ProgramFont(const layout::FontSpec& spec)
{
    QFont font(QString::fromLatin1(kFontFamily));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(spec.pointSize);
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
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
