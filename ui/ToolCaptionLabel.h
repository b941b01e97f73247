#pragma once

#include <QLabel>
#include <QList>

// The captions under the tool images. Its text is the whole caption line; each word of it
// is drawn centred under its picture (at the given centres), whatever the font, instead of
// relying on runs of blanks. Mouse moves over it count as moves over the band.
class ToolCaptionLabel : public QLabel
{
    Q_OBJECT
public:
    ToolCaptionLabel(const QString &text, const QList<int> &centres, QWidget *parent);

    // The words and the rectangle each is drawn in.
    QList<QPair<QString, QRect>> wordRects() const;
    // The captions one by one.
    QStringList words() const;
    // The label's font, made smaller where the captions would run together.
    QFont captionFont() const;

signals:
    void mouseMoved();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QList<int> m_centres;
};
