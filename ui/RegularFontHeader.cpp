#include "ui/RegularFontHeader.h"

#include <QIcon>
#include <QPixmap>
#include <QStyleOptionHeader>

RegularFontHeader::RegularFontHeader(Qt::Orientation orientation, QWidget *parent)
    : QHeaderView(orientation, parent)
{
    // Never drawn bold, so measuring in the header's own font stays true.
    setHighlightSections(false);
}

QSize RegularFontHeader::sectionSizeFromContents(int logicalIndex) const
{
    const QAbstractItemModel *source = model();
    if (!source)
        return QHeaderView::sectionSizeFromContents(logicalIndex);
    ensurePolished();
    // A size the model gives wins, as it does for Qt's header.
    const QVariant hint = source->headerData(logicalIndex, orientation(), Qt::SizeHintRole);
    if (hint.isValid())
        return hint.toSize();
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.section = logicalIndex;
    const QVariant font = source->headerData(logicalIndex, orientation(), Qt::FontRole);
    option.fontMetrics = QFontMetrics(font.canConvert<QFont>() ? font.value<QFont>() : this->font());
    option.text = source->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    const QVariant decoration = source->headerData(logicalIndex, orientation(), Qt::DecorationRole);
    option.icon = decoration.value<QIcon>();
    if (option.icon.isNull())
        option.icon = decoration.value<QPixmap>();
    if (isSortIndicatorShown())
        option.sortIndicator = QStyleOptionHeader::SortDown;
    return style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
}
