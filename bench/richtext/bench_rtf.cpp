// Reading and writing RTF letters of 1 MB and 8.5 MB, and laying the 1 MB letter out on
// pages; prints the figures.
//
//   richtext_bench_rtf [ROUNDS] [--read-only] [--save DIR]   defaults: 5 rounds, with the layout
//
// --save DIR writes the three letters read (letter-1mb.rtf, letter-8.5mb.rtf,
// body-x10.rtf) into DIR, so that what is read back from them can be compared between
// two builds (vellorn-cli rtf write|html FILE).
#include "os/DefaultFont.h"
#include "richtext/layout/FormatRange.h"
#include "richtext/reading/RtfReader.h"
#include "richtext/writing/RtfWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <algorithm>
#include <malloc.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

// One section of a business letter: formatted text, a bullet list, a numbered list and a
// bordered table, as the control writes pasted content.
void appendSection(QTextCursor &cur, int n)
{
    QTextCharFormat plain;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setFontPointSize(12);
    QTextCharFormat coloured;
    coloured.setForeground(QColor(0, 0, 160));
    coloured.setFontItalic(true);
    QTextCharFormat song;
    song.setFontFamilies({QStringLiteral("SimSun")});

    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cur.insertBlock(centred);
    cur.insertText(QStringLiteral("Section %1: quarterly figures").arg(n), bold);
    cur.insertBlock(QTextBlockFormat());
    cur.insertText(QStringLiteral("Dear customer, thank you for your order of "), plain);
    cur.insertText(QStringLiteral("%1 units").arg(n * 7), coloured);
    cur.insertText(QStringLiteral(". The goods leave our warehouse in M\u00fcnchen on Monday; the invoice "
                                  "follows by mail. \u4ed8\u6b3e\u6761\u4ef6"),
                   plain);
    cur.insertText(QStringLiteral("\u4e09\u5341\u5929"), song);
    cur.insertText(QStringLiteral(" \u2014 with regards."), plain);

    QTextListFormat bullets;
    bullets.setStyle(QTextListFormat::ListDisc);
    bullets.setIndent(0);
    QTextBlockFormat indented;
    indented.setLeftMargin(48);
    cur.insertBlock(indented);
    cur.createList(bullets);
    cur.insertText(QStringLiteral("Delivery within five working days"), plain);
    cur.insertBlock();
    cur.insertText(QStringLiteral("Free returns for thirty days"), plain);

    QTextListFormat numbers;
    numbers.setStyle(QTextListFormat::ListDecimal);
    numbers.setIndent(0);
    numbers.setNumberSuffix(QStringLiteral("."));
    cur.insertBlock(indented);
    cur.createList(numbers);
    cur.insertText(QStringLiteral("Check the parcel"), plain);
    cur.insertBlock();
    cur.insertText(QStringLiteral("Sign the receipt"), plain);
    cur.insertBlock(QTextBlockFormat());

    QTextTableFormat tf;
    tf.setBorder(0);
    tf.setCellPadding(0);
    tf.setCellSpacing(0);
    tf.setBorderCollapse(true);
    tf.setColumnWidthConstraints({QTextLength(QTextLength::FixedLength, 200), QTextLength(QTextLength::FixedLength, 120),
                                  QTextLength(QTextLength::FixedLength, 120)});
    QTextTable *table = cur.insertTable(4, 3, tf);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 3; ++c) {
            QTextTableCellFormat cf;
            cf.setLeftPadding(7.2);
            cf.setRightPadding(7.2);
            cf.setTopBorder(1);
            cf.setBottomBorder(1);
            cf.setLeftBorder(1);
            cf.setRightBorder(1);
            table->cellAt(r, c).setFormat(cf);
            table->cellAt(r, c).firstCursorPosition().insertText(
                r == 0 ? QStringLiteral("Heading %1").arg(c) : QStringLiteral("%1.%2 EUR").arg(n * r * (c + 1)).arg(r * 10 + c));
        }
    }
    cur.movePosition(QTextCursor::End);
}

std::string buildLetter(size_t targetBytes, QTextDocument &doc)
{
    doc.setDefaultFont(DefaultFont::font());
    QTextCursor cur(&doc);
    cur.insertText(QStringLiteral("Vellorn Trading"));
    // Estimate the sections needed from a sample, then build once.
    int sections = 16;
    for (int i = 0; i < sections; ++i)
        appendSection(cur, i);
    const size_t sample = RtfWriter::write(doc).size();
    const int total = static_cast<int>(static_cast<double>(targetBytes) / static_cast<double>(sample) * sections) + 1;
    for (int i = sections; i < total; ++i)
        appendSection(cur, i);
    return RtfWriter::write(doc);
}

double mb(size_t bytes)
{
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

void report(const char *what, size_t bytes, qint64 ns)
{
    const double ms = static_cast<double>(ns) / 1e6;
    std::printf("%-34s %8.2f MB %10.1f ms %8.2f MB/s\n", what, mb(bytes), ms, mb(bytes) / (ms / 1000.0));
}

struct ReadTime
{
    qint64 ns = 0;
    long faults = 0;   // minor page faults: fresh memory pages the read touched
};

long minorFaults()
{
    struct rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// trimmed: the heap first gives back the memory earlier reads freed, so that a read does
// not profit from what a larger one left (glibc keeps freed memory up to a threshold that
// grows with the largest blocks freed; a small letter read after a large one then needs
// no fresh pages at all, a large one always does).
ReadTime timeRead(const std::string &rtf, bool trimmed, int *blocks = nullptr)
{
    if (trimmed)
        malloc_trim(0);
    QTextDocument doc;
    const long faults = minorFaults();
    QElapsedTimer t;
    t.start();
    RtfReader::read(rtf, &doc);
    ReadTime r{t.nsecsElapsed(), minorFaults() - faults};
    if (blocks)
        *blocks = doc.blockCount();
    return r;
}

// Best and median of one size's rounds.
struct Figures
{
    std::vector<ReadTime> rounds;

    qint64 best() const
    {
        qint64 b = rounds.front().ns;
        for (const ReadTime &r : rounds)
            b = std::min(b, r.ns);
        return b;
    }
    qint64 median() const
    {
        std::vector<qint64> ns;
        for (const ReadTime &r : rounds)
            ns.push_back(r.ns);
        std::sort(ns.begin(), ns.end());
        const size_t n = ns.size();
        return n % 2 ? ns[n / 2] : (ns[n / 2 - 1] + ns[n / 2]) / 2;
    }
    long faults() const { return rounds.front().faults; }
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // richtext_bench_rtf [ROUNDS] [--read-only]: --read-only skips the page layout.
    int rounds = 5;
    bool readOnly = false;
    QString saveDir;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--read-only")
            readOnly = true;
        else if (std::string(argv[i]) == "--save" && i + 1 < argc)
            saveDir = QString::fromLocal8Bit(argv[++i]);
        else
            rounds = std::max(1, std::atoi(argv[i]));
    }

    QTextDocument letter;
    const std::string rtf = buildLetter(1024 * 1024, letter);

    QElapsedTimer t;
    t.start();
    const std::string again = RtfWriter::write(letter);
    report("write 1 MB letter", again.size(), t.nsecsElapsed());

    // 8.5 MB built as the 1 MB letter is: eight and a half times the sections and lists.
    QTextDocument bigLetter;
    const std::string big = buildLetter(size_t(8.5 * 1024 * 1024), bigLetter);

    // The 1 MB body ten times inside one header: every \lsN list then continues through all
    // ten copies, ten times as many items per list. Qt re-marks each earlier item of a list
    // when one is added, so this letter costs more per byte than the one above.
    const size_t bodyStart = rtf.find("\\viewkind4");
    const size_t bodyEnd = rtf.rfind('}');
    std::string repeated = rtf.substr(0, bodyEnd);
    const std::string body = rtf.substr(bodyStart, bodyEnd - bodyStart);
    for (int i = 1; i < 10; ++i)
        repeated += body;
    repeated += "}\r\n";
    if (!saveDir.isEmpty()) {
        const std::pair<const char *, const std::string *> letters[] = {
            {"letter-1mb.rtf", &rtf}, {"letter-8.5mb.rtf", &big}, {"body-x10.rtf", &repeated}};
        for (const auto &[name, bytes] : letters) {
            QFile file(QDir(saveDir).filePath(QLatin1String(name)));
            if (!file.open(QIODevice::WriteOnly)
                || file.write(bytes->data(), static_cast<qint64>(bytes->size())) != static_cast<qint64>(bytes->size())) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
                return 1;
            }
        }
    }

    // The sizes take turns, so that a busy machine slows them alike and the ratio stays
    // meaningful; each prints its best and its median round. Every round reads each letter
    // twice: as it comes, and from a trimmed heap.
    int blocks = 0;
    timeRead(rtf, false); // warm-up: fonts, code pages
    Figures one[2], eight[2], tenfold[2];
    for (int i = 0; i < rounds; ++i) {
        for (const bool trimmed : {false, true}) {
            one[trimmed].rounds.push_back(timeRead(rtf, trimmed, &blocks));
            eight[trimmed].rounds.push_back(timeRead(big, trimmed));
            tenfold[trimmed].rounds.push_back(timeRead(repeated, trimmed));
        }
    }
    const auto show = [&](const char *what, size_t bytes, const Figures &f) {
        char line[80];
        std::snprintf(line, sizeof line, "read %s (best of %d)", what, rounds);
        report(line, bytes, f.best());
        std::snprintf(line, sizeof line, "read %s (median of %d)", what, rounds);
        report(line, bytes, f.median());
        std::printf("%-34s %8.0f page faults per MB\n", "", double(f.faults()) / mb(bytes));
    };
    const auto speedRatio = [&](size_t bytes, qint64 oneNs, qint64 ns) {
        return (mb(rtf.size()) / static_cast<double>(oneNs)) / (mb(bytes) / static_cast<double>(ns));
    };
    for (const bool trimmed : {false, true}) {
        std::printf("-- %s\n", trimmed ? "each read from a trimmed heap" : "each read as it comes");
        show("1 MB letter", rtf.size(), one[trimmed]);
        show("8.5 MB letter", big.size(), eight[trimmed]);
        show("1 MB body x10", repeated.size(), tenfold[trimmed]);
        std::printf("MB/s at 1 MB / MB/s at 8.5 MB: best %.2f, median %.2f (goal: at most 1.3); "
                    "/ MB/s of the body x10: best %.2f, median %.2f\n",
                    speedRatio(big.size(), one[trimmed].best(), eight[trimmed].best()),
                    speedRatio(big.size(), one[trimmed].median(), eight[trimmed].median()),
                    speedRatio(repeated.size(), one[trimmed].best(), tenfold[trimmed].best()),
                    speedRatio(repeated.size(), one[trimmed].median(), tenfold[trimmed].median()));
    }
    std::printf("1 MB letter: %d paragraphs; goal: read 1 MB under 150 ms\n", blocks);
    if (readOnly)
        return 0;

    // Page layout of the 1 MB letter with the default page (600 x 800, margins 10/25).
    QTextDocument doc;
    RtfReader::read(rtf, &doc);
    QImage page(600, 800, QImage::Format_RGB32);
    page.setDotsPerMeterX(3780);
    page.setDotsPerMeterY(3780);
    const QRect area(QPoint(150, 375), QPoint(8849, 11624));
    FormatRange range(doc);
    t.restart();
    int pages = 0;
    qint64 firstNs = 0;
    for (int s = 0;;) {
        page.fill(Qt::white);
        const int e = range.formatRange(&page, area, s);
        if (++pages == 1)
            firstNs = t.nsecsElapsed();
        if (e <= s || e >= range.textLength())
            break;
        s = e;
    }
    const double firstMs = static_cast<double>(firstNs) / 1e6;
    const double restMs = static_cast<double>(t.nsecsElapsed() - firstNs) / 1e6;
    std::printf("format range, 1 MB letter: first page %.0f ms (layout of the whole letter), "
                "then %d pages in %.0f ms (%.0f pages/s)\n",
                firstMs, pages - 1, restMs, (pages - 1) / (restMs / 1000.0));
    return 0;
}
