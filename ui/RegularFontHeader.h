#pragma once

#include <QHeaderView>

// A header that measures its sections in its own font. Qt's header measures them in the bold
// face of it (so that a section drawn bold for a selection would not grow), which makes the
// first view with a header load a second font face at start; our headers never draw bold.
class RegularFontHeader : public QHeaderView
{
public:
    explicit RegularFontHeader(Qt::Orientation orientation, QWidget *parent = nullptr);

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override;
};
