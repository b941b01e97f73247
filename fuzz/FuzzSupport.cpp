#include "fuzz/FuzzSupport.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#ifdef VELLORN_FUZZING
// Qt keeps caches (fonts, glyphs, layouts) that outlive an input: libFuzzer would report them
// as leaks of the input that filled them.
extern "C" const char *__asan_default_options()
{
    return "detect_leaks=0";
}
#endif

namespace FuzzSupport {

void ensureApplication()
{
    // Never destroyed: at exit, Qt's own globals may already be gone.
    static QGuiApplication *app = nullptr;
    if (app)
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vellorn-fuzz";
    static char *argv[] = {name, nullptr};
    app = new QGuiApplication(argc, argv);
}

void require(bool holds, const char *promise)
{
    if (holds)
        return;
    std::fprintf(stderr, "\nnot so: %s\n", promise);
    std::abort();
}

QString scratchFile(const char *name, std::string_view bytes)
{
    static QTemporaryDir folder;
    if (!folder.isValid())
        std::abort();
    const QString path = folder.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
        std::abort();
    return path;
}

} // namespace FuzzSupport
