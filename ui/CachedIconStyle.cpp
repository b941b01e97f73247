#include "ui/CachedIconStyle.h"

#include "os/CachedIcon.h"

#include <QGuiApplication>
#include <QStyleOption>
#include <QWidget>

CachedIconStyle::CachedIconStyle(QStyle *base, const PictureCache &cache)
    : QProxyStyle(base)
    , m_cache(cache)
{
}

QIcon CachedIconStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption *option,
                                    const QWidget *widget) const
{
    if (standardIcon != SP_ToolBarHorizontalExtensionButton && standardIcon != SP_ToolBarVerticalExtensionButton)
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    // The arrow points the other way in a right-to-left window.
    const Qt::LayoutDirection direction = option ? option->direction
                                          : widget ? widget->layoutDirection()
                                                   : QGuiApplication::layoutDirection();
    const QStyle *base = baseStyle();
    const QByteArray identity = "style:" + base->name().toUtf8() + ':' + QByteArray::number(int(standardIcon))
        + (direction == Qt::RightToLeft ? ":rtl" : ":ltr");
    auto make = [base, standardIcon, direction] {
        QStyleOption drawn;
        drawn.direction = direction;
        return base->standardIcon(standardIcon, &drawn);
    };
    return CachedIcon::wrap(identity, make, m_cache, CachedIcon::Kind{false, false, base->name().toUtf8()});
}
