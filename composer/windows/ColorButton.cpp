#include "composer/windows/ColorButton.h"

#include "composer/TextColors.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QWidgetAction>

namespace {

constexpr int kSwatch = 16;
constexpr int kColumns = 8;

QIcon swatchIcon(const QColor &color)
{
    QPixmap pixmap(kSwatch, kSwatch);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(0, 0, kSwatch - 1, kSwatch - 1);
    return QIcon(pixmap);
}

} // namespace

ColorButton::ColorButton(const QString &iconName, const QString &automaticCaption, const QColor &initial,
                         QWidget *parent)
    : QToolButton(parent)
    , m_iconName(iconName)
    , m_color(initial)
{
    setPopupMode(QToolButton::MenuButtonPopup);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("ColorMenu"));

    QAction *automatic = m_menu->addAction(automaticCaption);
    automatic->setObjectName(QStringLiteral("AutomaticColor"));
    connect(automatic, &QAction::triggered, this, [this] { choose(TextColors::automatic()); });

    // The grid of the standard colours, two rows of eight swatches.
    auto *grid = new QWidget(m_menu);
    auto *layout = new QGridLayout(grid);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    int i = 0;
    for (const TextColors::Choice &choice : TextColors::standard()) {
        const QColor color(choice.rgb);
        auto *swatch = new QToolButton(grid);
        swatch->setObjectName(QStringLiteral("Swatch") + QLatin1String(choice.name));
        swatch->setIcon(swatchIcon(color));
        swatch->setIconSize(QSize(kSwatch, kSwatch));
        swatch->setAutoRaise(true);
        swatch->setToolTip(QLatin1String(choice.name));
        swatch->setAccessibleName(QLatin1String(choice.name));
        connect(swatch, &QToolButton::clicked, this, [this, color] {
            m_menu->close();
            choose(color);
        });
        layout->addWidget(swatch, i / kColumns, i % kColumns);
        ++i;
    }
    auto *gridAction = new QWidgetAction(m_menu);
    gridAction->setDefaultWidget(grid);
    m_menu->addAction(gridAction);

    QAction *more = m_menu->addAction(QStringLiteral("&More Colours..."));
    more->setObjectName(QStringLiteral("MoreColors"));
    connect(more, &QAction::triggered, this, &ColorButton::chooseMore);
    setMenu(m_menu);

    connect(this, &QToolButton::clicked, this, [this] { emit colorChosen(m_color); });
    updateIcon();
}

void ColorButton::setColor(const QColor &color)
{
    m_color = color;
    updateIcon();
}

void ColorButton::choose(const QColor &color)
{
    setColor(color);
    emit colorChosen(color);
}

void ColorButton::chooseMore()
{
    const QColor start = TextColors::isAutomatic(m_color) ? QColor(Qt::black) : m_color;
    const QColor chosen = QColorDialog::getColor(start, window(), toolTip());
    if (chosen.isValid())
        choose(chosen);
}

void ColorButton::updateIcon()
{
    // The theme's icon with the colour as a bar along its foot; the automatic choice
    // shows an empty bar.
    const int side = 16;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QIcon::fromTheme(m_iconName).paint(&painter, QRect(0, 0, side, side - 4));
    const QRect bar(0, side - 4, side, 4);
    if (TextColors::isAutomatic(m_color)) {
        painter.setPen(QColor(128, 128, 128));
        painter.drawRect(bar.adjusted(0, 0, -1, -1));
    } else {
        painter.fillRect(bar, m_color);
    }
    painter.end();
    setIcon(QIcon(pixmap));
    setAccessibleDescription(TextColors::nameOf(m_color));
}
