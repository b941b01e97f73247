#include "ToolBand.h"

#include <QPainter>
#include <QResizeEvent>

ToolBand::ToolBand(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
}

void ToolBand::paintEvent(QPaintEvent *)
{
    // White whatever the style paints its tool bars with.
    QPainter(this).fillRect(rect(), Qt::white);
}

void ToolBand::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMoved();
    QWidget::mouseMoveEvent(event);
}

void ToolBand::leaveEvent(QEvent *event)
{
    emit mouseLeft();
    QWidget::leaveEvent(event);
}

void ToolBand::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_right)
        m_right->move(width() - m_right->width() - 8, (height() - m_right->height()) / 2);
}
