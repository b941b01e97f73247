#include "ui/ToolCaptionLabel.h"

#include <QMouseEvent>
#include <QPainter>

ToolCaptionLabel::ToolCaptionLabel(const QString &text, const QList<int> &centres, QWidget *parent)
    : QLabel(text, parent)
    , m_centres(centres)
{
    setAccessibleName(text);
    setMouseTracking(true);
}

QStringList ToolCaptionLabel::words() const
{
    // Captions are parted by runs of blanks; a single blank belongs to the caption ("Ms OE").
    const QString line = text().trimmed();
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < line.size();) {
        qsizetype end = i;
        while (end < line.size() && line[end].isSpace())
            ++end;
        if (end - i >= 2) {
            parts << line.mid(start, i - start);
            start = end;
        }
        i = end > i ? end : i + 1;
    }
    if (start < line.size())
        parts << line.mid(start);
    return parts;
}

QFont ToolCaptionLabel::captionFont() const
{
    // The pictures keep their places, so a large desktop font is made smaller until
    // every caption fits between its neighbours' and the line's height.
    const QStringList all = words();
    QFont font = this->font();
    const auto fits = [&](const QFont &f) {
        const QFontMetrics metrics(f);
        if (metrics.height() > height())
            return false;
        for (qsizetype i = 0; i + 1 < all.size() && i + 1 < m_centres.size(); ++i) {
            const int room = m_centres[i + 1] - m_centres[i] - 4;
            if ((metrics.horizontalAdvance(all[i]) + metrics.horizontalAdvance(all[i + 1])) / 2 > room)
                return false;
        }
        return true;
    };
    while (!fits(font) && font.pointSizeF() > 6.0)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}

QList<QPair<QString, QRect>> ToolCaptionLabel::wordRects() const
{
    const QStringList words = this->words();
    const QFontMetrics metrics(captionFont());
    QList<QPair<QString, QRect>> out;
    for (qsizetype i = 0; i < words.size() && i < m_centres.size(); ++i) {
        const int w = metrics.horizontalAdvance(words[i]) + 2;
        out.append({words[i], QRect(m_centres[i] - w / 2, 0, w, height())});
    }
    return out;
}

void ToolCaptionLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(captionFont());
    for (const auto &[word, rect] : wordRects())
        painter.drawText(rect, Qt::AlignHCenter | Qt::AlignTop, word);
}

void ToolCaptionLabel::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved();
    event->accept();
}
