// The family each control word is dispatched by: a word in the wrong family is read in
// the wrong destinations or not at all.
#include "richtext/reading/RtfKeyword.h"

#include <QtTest>

Q_DECLARE_METATYPE(RtfWordFamily)

class TstRtfKeyword : public QObject
{
    Q_OBJECT
private slots:
    void family_data();
    void family();
};

void TstRtfKeyword::family_data()
{
    using F = RtfWordFamily;
    QTest::addColumn<QString>("word");
    QTest::addColumn<RtfWordFamily>("family");
    const std::pair<const char *, F> rows[] = {
        {"rtf", F::Document},        {"ansicpg", F::Document},    {"pca", F::Document},
        {"f", F::Document},          {"red", F::Document},        {"u", F::Document},
        {"uc", F::Document},         {"fonttbl", F::Destination}, {"stylesheet", F::Destination},
        {"footnote", F::Destination}, {"listoverride", F::Destination}, {"b", F::Character},
        {"ulwave", F::Character},    {"lang", F::Character},      {"tab", F::Character},
        {"line", F::Character},      {"emdash", F::Symbol},       {"chftn", F::Symbol},
        {"par", F::Paragraph},       {"sect", F::Paragraph},      {"page", F::Paragraph},
        {"pagebb", F::Paragraph},    {"ilvl", F::Paragraph},      {"pnf", F::Paragraph},
        {"listid", F::List},         {"levelnfcn", F::List},      {"ls", F::List},
        {"trowd", F::Table},         {"cell", F::Table},          {"brdrframe", F::Table},
        {"clpadfr", F::Table},       {"pngblip", F::Picture},     {"picscaley", F::Picture},
        {"nosuchword", F::None},
    };
    for (const auto &[word, family] : rows)
        QTest::newRow(word) << QString::fromLatin1(word) << family;
}

void TstRtfKeyword::family()
{
    QFETCH(QString, word);
    QFETCH(RtfWordFamily, family);
    const std::string name = word.toStdString();
    QCOMPARE(rtfKeyword(name).family, family);
}

QTEST_GUILESS_MAIN(TstRtfKeyword)
#include "tst_rtfkeyword.moc"
