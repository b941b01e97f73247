#include "ui/ToolCaptionLabel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>

ToolCaptionLabel::ToolCaptionLabel(const QString &text, const QList<int> &centres, QWidget *parent)
    : QLabel(text, parent)
    , m_centres(centres)
{
    setAccessibleName(text);
    setMouseTracking(true);
}

QList<QPair<QString, QRect>> ToolCaptionLabel::wordRects() const
{
    // Captions are parted by runs of blanks; a single blank belongs to the caption ("Ms OE").
    static const QRegularExpression blanks(QStringLiteral("\\s{2,}"));
    const QStringList words = text().trimmed().split(blanks, Qt::SkipEmptyParts);
    const QFontMetrics metrics = fontMetrics();
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
    for (const auto &[word, rect] : wordRects())
        painter.drawText(rect, Qt::AlignHCenter | Qt::AlignTop, word);
}

void ToolCaptionLabel::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved();
    event->accept();
}
