#include "ui/ToolBand.h"

#include "os/ProgramIcons.h"
#include "ui/ToolBandFit.h"
#include "ui/ToolCaptionLabel.h"
#include "ui/ToolImage.h"

#include <QLabel>
#include <QPainter>
#include <QLayout>
#include <QResizeEvent>
#include <QStyle>
#include <QToolBar>

ToolBand::ToolBand(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    connect(this, &ToolBand::mouseMoved, this, &ToolBand::restoreImages);
    connect(this, &ToolBand::mouseLeft, this, &ToolBand::restoreImages);
}

QList<ToolImage *> ToolBand::addImages(const QList<ImageSpec> &specs, const QString &captions, int top)
{
    QList<int> centres;
    int right = 0;
    for (const ImageSpec &s : specs) {
        auto *image = new ToolImage(s.hoverNumber, s.icon, s.size, this);
        image->setObjectName(QLatin1String(s.name));
        if (!s.hint.isEmpty())
            image->setToolTip(s.hint);
        image->move(s.left, top);
        centres.append(s.left + s.size.width() / 2);
        right = qMax(right, s.left);
        connect(image, &ToolImage::hovered, this, [this, image] { imageHovered(image); });
        m_images.append(image);
    }
    m_captions = new ToolCaptionLabel(captions, centres, this);
    m_captions->setObjectName(QStringLiteral("Label1"));
    m_captions->setGeometry(0, top + 27, right + 60, 20);
    connect(m_captions, &ToolCaptionLabel::mouseMoved, this, &ToolBand::restoreImages);
    // Each picture is announced by its caption, not by the caption line as a whole.
    const QStringList words = m_captions->words();
    for (qsizetype i = 0; i < m_images.size() && i < words.size(); ++i)
        m_images[i]->setAccessibleName(words[i]);
    return m_images;
}

void ToolBand::imageHovered(ToolImage *image)
{
    m_hovered = image->hoverNumber();
    if (image->Tag == 0) {
        image->Tag = 1;
        image->move(image->pos() + QPoint(kShift, kShift));
    }
}

void ToolBand::restoreImages()
{
    m_hovered = 0;
    for (ToolImage *image : std::as_const(m_images)) {
        if (image->Tag == 1) {
            image->Tag = 0;
            image->move(image->pos() - QPoint(kShift, kShift));
        }
    }
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
    placeRightPicture();
    holdWindowWidth();
}

void ToolBand::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    placeRightPicture();
    holdWindowWidth();
}

int ToolBand::contentRight() const
{
    int right = 0;
    for (const QObject *child : children()) {
        const auto *widget = qobject_cast<const QWidget *>(child);
        if (widget && widget != m_right && !widget->isWindow())
            right = qMax(right, widget->geometry().right() + 1);
    }
    return right;
}

QSize ToolBand::sizeHint() const
{
    const int logo = m_right ? m_right->width() : 0;
    return {ToolBandFit::preferredWidth(contentRight(), logo), minimumHeight()};
}

QSize ToolBand::minimumSizeHint() const
{
    return {ToolBandFit::minimumWidth(contentRight()), minimumHeight()};
}

void ToolBand::placeRightPicture()
{
    if (!m_right)
        return;
    const int left = ToolBandFit::logoLeft(width(), contentRight(), m_right->width());
    if (left < 0) {
        m_right->hide();
        return;
    }
    m_right->move(left, (height() - m_right->height()) / 2);
    m_right->show();
}

int ToolBand::windowMinimumWidth() const
{
    int around = 0;
    // The tool bar the band lies in adds its frame and item margins on both sides.
    if (const auto *bar = qobject_cast<const QToolBar *>(parentWidget())) {
        const QStyle *style = bar->style();
        around = 2 * (style->pixelMetric(QStyle::PM_ToolBarFrameWidth, nullptr, bar)
                      + style->pixelMetric(QStyle::PM_ToolBarItemMargin, nullptr, bar));
        if (bar->layout())
            around += bar->layout()->contentsMargins().left() + bar->layout()->contentsMargins().right();
    }
    return ToolBandFit::minimumWidth(contentRight()) + around;
}

void ToolBand::holdWindowWidth()
{
    QWidget *top = window();
    if (top == this)
        return;
    const int needed = windowMinimumWidth();
    if (top->minimumWidth() < needed)
        top->setMinimumWidth(needed);
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
    // The logo comes last, after the images and their captions.
    holdWindowWidth();
    return logo;
}
