// SPDX-License-Identifier: MIT
#include "program.h"

#include "fonts/program_fonts.h"

#include <QApplication>
#include <QLabel>

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

void UseProgramFont()
{
    RegisterProgramFonts();
    QFont font(QString::fromLatin1(kFontFamily));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(QApplication::font().pointSizeF());
    QApplication::setFont(font);
}

QPixmap ProgramPixmap()
{
    return QPixmap(QStringLiteral(":/corvalen/icons/corvalen-32.png"));
}

QIcon ProgramIcon()
{
    return QIcon(ProgramPixmap());
}

QString ToQString(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

layout::PixelScale LayoutScale(const QWidget& widget)
{
    return layout::PixelScale(widget.logicalDpiY());
}

void Place(QWidget& control, const layout::ControlLayout& row)
{
    control.setObjectName(ToQString(row.name));
    control.setGeometry(LayoutScale(control).Pixels(row.rect));
    control.setFont(ProgramFont(row.font));
}

QLabel* MakeLabel(QWidget* parent, const layout::ControlLayout& row)
{
    auto* label = new QLabel(ToQString(row.text), parent);
    Place(*label, row);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace corvalen
