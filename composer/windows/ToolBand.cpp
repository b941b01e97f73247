#include "ToolBand.h"

#include "ProgramIcons.h"

#include <QLabel>
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

QLabel *ToolBand::addLogo(const QString &homePage, QObject *clickFilter)
{
    using R = ProgramIcons::Role;
    auto *logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("Image2"));
    QPixmap picture = ProgramIcons::icon(R::Logo).pixmap(QSize(140, 44), devicePixelRatioF());
    if (picture.isNull())
        picture = ProgramIcons::icon(R::ProgramIcon).pixmap(QSize(44, 44), devicePixelRatioF());
    if (!picture.isNull()) {
        logo->setPixmap(picture);
        logo->setFixedSize(picture.deviceIndependentSize().toSize());
    } else {
        logo->setText(QStringLiteral("<i>Vellorn Composer</i>"));
        logo->adjustSize();
    }
    logo->setCursor(Qt::PointingHandCursor);
    logo->setToolTip(homePage);
    logo->installEventFilter(clickFilter);
    setRightPicture(logo);
    return logo;
}
