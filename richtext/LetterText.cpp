#include "richtext/LetterText.h"

#include "richtext/ListNumbers.h"
#include "richtext/reading/RtfReader.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <algorithm>

namespace {

// Space between two paragraphs (the one's bottom and the other's top margin, in pixels)
// from which the reader sees a gap: a blank line in the text.
constexpr qreal kGapPixels = 6;

// The label a list item shows, without the blank after it; empty for an unmarked list.
QString listLabel(const QTextBlock &block)
{
    const QTextList *list = block.textList();
    if (!list)
        return {};
    const QTextListFormat format = list->format();
    switch (format.style()) {
    case QTextListFormat::ListDisc: return QStringLiteral("\u2022");
    case QTextListFormat::ListCircle: return QStringLiteral("o");
    case QTextListFormat::ListSquare: return QStringLiteral("-");
    case QTextListFormat::ListStyleUndefined: return {};
    default: break;
    }
    const QVariant start = format.property(RtfReader::ListStartProperty);
    const int first = start.isValid() ? start.toInt() : 1;
    return ListNumbers::label(format, first + list->itemNumber(block));
}

// The characters of a paragraph as text lines: manual line breaks split it, pictures and
// control characters drop out, every run of blanks becomes one space.
QStringList paragraphLines(const QString &text)
{
    QStringList lines;
    QString line;
    bool blank = false;
    const auto endLine = [&] {
        lines << line.trimmed();
        line.clear();
        blank = false;
    };
    for (const QChar c : text) {
        if (c == QChar::LineSeparator) {
            endLine();
        } else if (c.isSpace()) {
            blank = true;
        } else if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format
                   || c == QChar::ObjectReplacementCharacter || c.isNonCharacter() || c == QChar(0x00AD)) {
            continue;
        } else {
            if (blank && !line.isEmpty())
                line += QLatin1Char(' ');
            blank = false;
            line += c;
        }
    }
    endLine();
    return lines;
}

class Walker
{
public:
    explicit Walker(const LetterText::Options &options) : m_options(options) {}

    QStringList take() { return std::move(m_out); }

    // The paragraphs, tables and frames from `it` to the end of its frame or cell.
    void walk(QTextFrame::iterator it)
    {
        for (; !it.atEnd(); ++it) {
            if (const QTextFrame *child = it.currentFrame()) {
                if (const auto *table = qobject_cast<const QTextTable *>(child))
                    this->table(table);
                else
                    walk(child->begin());
            } else if (it.currentBlock().isValid()) {
                block(it.currentBlock());
            }
        }
    }

private:
    void emitLine(const QString &line)
    {
        if (line.isEmpty()) {
            m_gap = true;
            return;
        }
        if (m_gap && !m_out.isEmpty())
            m_out << QString();
        m_out << line;
        m_gap = false;
    }

    bool inRange(int first, int end) const { return first < m_options.end && end > m_options.start; }

    void block(const QTextBlock &block)
    {
        const int position = block.position();
        if (!inRange(position, position + block.length()))
            return;
        const QTextBlockFormat format = block.blockFormat();
        if (m_lastBottom + format.topMargin() >= kGapPixels)
            m_gap = true;
        m_lastBottom = format.bottomMargin();

        if (format.hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth)) {
            m_gap = true;
            if (m_options.rules)
                emitLine(LetterText::ruleLine());
            m_gap = true;
            return;
        }

        const QString text = block.text();
        const qsizetype from = std::max<qsizetype>(0, qsizetype(m_options.start) - position);
        const qsizetype to = std::min<qsizetype>(text.size(), qsizetype(m_options.end) - position);
        QStringList lines = paragraphLines(from < to ? text.mid(from, to - from) : QString());

        if (position >= m_options.start) {
            const QString label = listLabel(block);
            if (!label.isEmpty()) {
                const int depth = std::max(block.textList()->format().indent(), 1) - 1;
                lines.first() = QString(2 * depth, QLatin1Char(' ')) + label
                                + (lines.first().isEmpty() ? QString() : QStringLiteral(" ") + lines.first());
            }
        }
        for (const QString &line : lines)
            emitLine(line);
    }

    void table(const QTextTable *table)
    {
        m_gap = true;
        for (int row = 0; row < table->rows(); ++row) {
            QStringList cells;
            bool any = false;
            for (int column = 0; column < table->columns(); ++column) {
                const QTextTableCell cell = table->cellAt(row, column);
                // A merged cell is read once, where it begins.
                if (!cell.isValid() || cell.row() != row || cell.column() != column)
                    continue;
                if (!inRange(cell.firstPosition(), cell.lastPosition() + 1))
                    continue;
                Walker inner(m_options);
                inner.walk(cell.begin());
                cells << LetterText::collapsed(inner.take());
                any = true;
            }
            while (!cells.isEmpty() && cells.last().isEmpty())
                cells.removeLast();
            if (any && !cells.isEmpty())
                emitLine(cells.join(m_options.cellSeparator).trimmed());
        }
        m_gap = true;
        m_lastBottom = 0;
    }

    const LetterText::Options &m_options;
    QStringList m_out;
    bool m_gap = false;
    qreal m_lastBottom = 0;
};

} // namespace

QStringList LetterText::lines(const QTextDocument &doc, const Options &options)
{
    Walker walker(options);
    walker.walk(doc.rootFrame()->begin());
    return walker.take();
}

QString LetterText::collapsed(const QStringList &lines)
{
    return lines.join(QLatin1Char(' ')).simplified();
}
