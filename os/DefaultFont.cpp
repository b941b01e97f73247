#include "os/DefaultFont.h"

#include <QStringList>

namespace DefaultFont {

void installSubstitutions()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList cjk = {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")};
    const QStringList sans = QStringList{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")} + cjk;
    const QStringList serif = QStringList{QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")} + cjk;
    const QStringList mono = QStringList{QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")} + cjk;
    for (const char *face : {"MS Sans Serif", "Microsoft Sans Serif", "Arial", "Tahoma", "Verdana", "Helvetica", "System"})
        QFont::insertSubstitutions(QString::fromLatin1(face), sans);
    for (const char *face : {"Times New Roman", "MS Serif", "Times", "Georgia"})
        QFont::insertSubstitutions(QString::fromLatin1(face), serif);
    for (const char *face : {"Courier New", "Courier", "Lucida Console", "Consolas"})
        QFont::insertSubstitutions(QString::fromLatin1(face), mono);
    for (const char *face : {"SimSun", "NSimSun", "SimHei", "MS Song", "MS Hei", "MingLiU", "PMingLiU", "MS Mincho", "MS Gothic", "Gulim", "Batang"})
        QFont::insertSubstitutions(QString::fromLatin1(face), cjk);
    // Chinese face names as a GB2312 font table writes them (Song, Hei).
    QFont::insertSubstitutions(QString::fromUtf8("\xE5\xAE\x8B\xE4\xBD\x93"), cjk);
    QFont::insertSubstitutions(QString::fromUtf8("\xE9\xBB\x91\xE4\xBD\x93"), cjk);
}

QFont font()
{
    installSubstitutions();
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    return f;
}

} // namespace DefaultFont
