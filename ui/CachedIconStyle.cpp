#include "ui/CachedIconStyle.h"

#include "os/CachedIcon.h"

#include <QApplication>
#include <QPointer>
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
                                                   : QApplication::layoutDirection();
    const QStyle *base = baseStyle();
    const QByteArray identity = "style:" + base->name().toUtf8() + ':' + QByteArray::number(int(standardIcon))
        + (direction == Qt::RightToLeft ? ":rtl" : ":ltr");
    // The icon may outlive this style (the application's style replaced while a tool bar
    // lives): it then asks the style in use.
    auto make = [base = QPointer<const QStyle>(base), standardIcon, direction] {
        QStyleOption drawn;
        drawn.direction = direction;
        const QStyle *style = base ? base.data() : QApplication::style();
        return style->standardIcon(standardIcon, &drawn);
    };
    return CachedIcon::wrap(identity, make, m_cache, CachedIcon::Kind{false, false, base->name().toUtf8()});
}
