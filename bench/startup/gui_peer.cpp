// The peer of the program's start-up: the least a Qt mail-program-like window does, a
// QApplication and an empty QMainWindow shown with one line of text in its status bar. The
// text matters: a window that paints none never loads a font, and every real window does.
// The start-up bench ends it at its first paint.
#include <QApplication>
#include <QMainWindow>
#include <QStatusBar>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(700, 480);
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    window.show();
    return app.exec();
}
