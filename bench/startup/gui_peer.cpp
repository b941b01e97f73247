// The peer of the program's start-up: the least a Qt window program does, a QApplication
// and an empty QMainWindow shown. The start-up bench ends it at its first paint.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(640, 480);
    window.show();
    return app.exec();
}
