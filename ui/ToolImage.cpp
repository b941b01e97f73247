#include "ui/ToolImage.h"

#include <QIcon>
#include <QMouseEvent>

ToolImage::ToolImage(int hoverNumber, const QIcon &icon, const QSize &size, QWidget *parent)
    : QLabel(parent)
    , m_hoverNumber(hoverNumber)
{
    setFixedSize(size);
    setAlignment(Qt::AlignCenter);
    setPixmap(icon.pixmap(QSize(24, 24), devicePixelRatioF()));
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
}

void ToolImage::mouseMoveEvent(QMouseEvent *event)
{
    emit hovered();
    event->accept(); // not on to the band, which would move the image back
}

void ToolImage::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void ToolImage::mouseReleaseEvent(QMouseEvent *event)
{
    // A click counts when the button goes up over the image (it may have shifted meanwhile).
    const bool inside = rect().adjusted(-4, -4, 4, 4).contains(event->position().toPoint());
    if (m_pressed && event->button() == Qt::LeftButton && inside)
        emit clicked();
    m_pressed = false;
    event->accept();
}
