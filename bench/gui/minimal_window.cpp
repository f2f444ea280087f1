// SPDX-License-Identifier: MIT
// Yardsticks for Corvalen's start-up time and memory: the least a Qt Widgets
// program can show, an empty window of the same size; with --text, the same
// window showing one line of text, as in Qt's own "Hello world!" tutorial,
// which adds the cost of loading and drawing a font.

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const bool withText = QApplication::arguments().contains(QStringLiteral("--text"));
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.setFixedSize(471, 282);
    if (withText)
        (new QLabel(QStringLiteral("Hello world!"), &window))->move(8, 8);
    window.show();
    return app.exec();
}
