// The peer of vellorn-cli's start-up: the least a Qt command-line program does.
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::printf("Vellorn Composer 5.0\n");
    return 0;
}
