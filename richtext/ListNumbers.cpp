#include "richtext/ListNumbers.h"

#include "richtext/reading/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>
#include <algorithm>

namespace {

bool isNumbered(QTextListFormat::Style style)
{
    return style == QTextListFormat::ListDecimal || style == QTextListFormat::ListLowerAlpha
        || style == QTextListFormat::ListUpperAlpha || style == QTextListFormat::ListLowerRoman
        || style == QTextListFormat::ListUpperRoman;
}

QString alphabetic(int n)
{
    QString s;
    for (; n > 0; n = (n - 1) / 26)
        s.prepend(QChar(u'a' + (n - 1) % 26));
    return s;
}

QString roman(int n)
{
    static const std::pair<int, const char *> digits[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"},
                                                          {100, "c"},  {90, "xc"},  {50, "l"},  {40, "xl"},
                                                          {10, "x"},   {9, "ix"},   {5, "v"},   {4, "iv"},
                                                          {1, "i"}};
    QString s;
    for (const auto &[value, text] : digits)
        for (; n >= value; n -= value)
            s += QLatin1String(text);
    return s;
}

} // namespace

QString ListNumbers::label(const QTextListFormat &format, int number)
{
    QString text;
    const QTextListFormat::Style style = format.style();
    if (number <= 0 || style == QTextListFormat::ListDecimal)
        text = QString::number(number);
    else if (style == QTextListFormat::ListLowerAlpha || style == QTextListFormat::ListUpperAlpha)
        text = alphabetic(number);
    else if (number < 4000)
        text = roman(number);
    else
        text = QString::number(number);
    if (style == QTextListFormat::ListUpperAlpha || style == QTextListFormat::ListUpperRoman)
        text = text.toUpper();
    const QString suffix = format.hasProperty(QTextFormat::ListNumberSuffix) ? format.numberSuffix() : QStringLiteral(".");
    return format.numberPrefix() + text + suffix;
}

bool ListNumbers::ownsNumbers(const QTextListFormat &format)
{
    const QVariant start = format.property(RtfReader::ListStartProperty);
    return start.isValid() && start.toInt() != 1 && isNumbered(format.style());
}

bool ListNumbers::changes(const QTextDocument &doc)
{
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextList *list = b.textList();
        if (list && list->item(0) == b && ownsNumbers(list->format()))
            return true;
    }
    return false;
}

void ListNumbers::prepare(QTextDocument &doc)
{
    m_lists.clear();
    m_items.clear();
    m_collected = false;
    m_tallest = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QTextList *list = b.textList();
        if (!list || list->item(0) != b)
            continue; // each list once, at its first item
        const QTextListFormat format = list->format();
        if (!ownsNumbers(format))
            continue;
        m_lists.push_back({list, format, format.property(RtfReader::ListStartProperty).toInt()});
        QTextListFormat plain = format;
        plain.setStyle(QTextListFormat::ListStyleUndefined);
        list->setFormat(plain);
    }
}

void ListNumbers::collect(const QTextDocument &doc)
{
    m_collected = true;
    QAbstractTextDocumentLayout *layout = doc.documentLayout();
    for (size_t l = 0; l < m_lists.size(); ++l) {
        const int count = m_lists[l].list->count();
        for (int i = 0; i < count; ++i) {
            const QRectF box = layout->blockBoundingRect(m_lists[l].list->item(i));
            m_items.push_back({box.top(), box.bottom(), l, i});
            m_tallest = std::max(m_tallest, box.height());
        }
    }
    std::sort(m_items.begin(), m_items.end(), [](const Item &a, const Item &b) { return a.top < b.top; });
}

void ListNumbers::draw(QPainter &painter, const QTextDocument &doc, const QRectF &clip)
{
    if (m_lists.empty())
        return;
    if (!m_collected)
        collect(doc);
    QAbstractTextDocumentLayout *layout = doc.documentLayout();
    // Only the items near the clip: a page costs its own items, not the whole list's.
    auto it = std::lower_bound(m_items.begin(), m_items.end(), clip.top() - m_tallest,
                               [](const Item &item, qreal y) { return item.top < y; });
    for (; it != m_items.end() && it->top <= clip.bottom(); ++it) {
        if (it->bottom < clip.top())
            continue;
        const List &l = m_lists[it->list];
        const QTextBlock block = l.list->item(it->index);
        const QTextLayout *text = block.layout();
        if (!text || text->lineCount() == 0 || !block.isVisible())
            continue;
        const QRectF box = layout->blockBoundingRect(block);
        const QTextLine line = text->lineAt(0);
        // The block's box starts at its layout's position; lines are placed from there.
        const QPointF offset = box.topLeft() - QPointF(0, text->boundingRect().top());
        const QRectF lineRect = line.naturalTextRect().translated(offset);
        const QFont font = block.charFormat().font();
        const QFontMetricsF metrics(font, painter.device());
        const QString number = label(l.format, l.start + it->index);
        // Right-aligned before the text, a space's width from it, on the first line.
        const qreal space = metrics.horizontalAdvance(QLatin1Char(' '));
        const qreal x = block.blockFormat().layoutDirection() == Qt::RightToLeft
            ? lineRect.right() + space
            : lineRect.left() - space - metrics.horizontalAdvance(number);
        painter.save();
        painter.setFont(font);
        const QBrush ink = block.charFormat().foreground();
        painter.setPen(ink.style() != Qt::NoBrush ? ink.color() : QColor(Qt::black));
        painter.drawText(QPointF(x, lineRect.top() + line.ascent()), number);
        painter.restore();
    }
}
