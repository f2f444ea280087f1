// SPDX-License-Identifier: MIT
#include "fonts/program_fonts.h"

#include <QFontDatabase>
#include <QString>

namespace corvalen {

bool RegisterProgramFonts()
{
    bool all = true;
    for (const char* style : {"Regular", "Bold", "Italic", "BoldItalic"}) {
        const QString path = QStringLiteral(":/corvalen/fonts/LiberationSans-%1.ttf").arg(QLatin1String(style));
        all = QFontDatabase::addApplicationFont(path) >= 0 && all;
    }
    return all;
}

}  // namespace corvalen
