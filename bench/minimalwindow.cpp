// SPDX-License-Identifier: GPL-3.0-or-later
// The yardstick for the start-up benchmark: the least a Qt Widgets program
// does to show a window, one empty QWidget.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.show();
    return app.exec();
}
