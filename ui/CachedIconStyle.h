#pragma once

#include <QProxyStyle>

class PictureCache;

// The desktop's own style, but the standard icons that every tool bar makes at once (its
// extension button's arrows) come from the picture cache. Made from their image files, they
// would make Qt load and ask every image format plugin at each start, for icons that show
// only when a tool bar is too narrow.
class CachedIconStyle : public QProxyStyle
{
public:
    // `cache` must outlive the style.
    CachedIconStyle(QStyle *base, const PictureCache &cache);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;

private:
    const PictureCache &m_cache;
};
