#include "composer/windows/AttachmentList.h"

#include "os/ProgramIcons.h"

#include <QDir>

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kKindRole = Qt::UserRole + 1;

} // namespace

AttachmentList::AttachmentList(QWidget *parent)
    : QListWidget(parent)
{
    setObjectName(QStringLiteral("LstV_Attach"));
    setFixedHeight(22);
    setFlow(QListView::LeftToRight);
    setWrapping(false);
    setIconSize(QSize(16, 16));
    setToolTip(QStringLiteral("Attached files"));
    setAccessibleName(QStringLiteral("Attached files"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setContextMenuPolicy(Qt::CustomContextMenu);
    hide(); // shown while it holds attachments
}

std::vector<AttachmentRow> AttachmentList::rows() const
{
    std::vector<AttachmentRow> rows;
    for (int i = 0; i < count(); ++i) {
        const QListWidgetItem *row = item(i);
        rows.push_back({row->text(), row->data(kPathRole).toString(), row->data(kKindRole).toString()});
    }
    return rows;
}

void AttachmentList::addRow(const AttachmentRow &row)
{
    auto *added = new QListWidgetItem(ProgramIcons::icon(ProgramIcons::Role::AttachmentIcon), row.caption, this);
    added->setData(kPathRole, row.source);
    added->setData(kKindRole, row.kind);
    added->setToolTip(row.kind == AttachmentRow::File ? QDir::toNativeSeparators(row.source) : row.caption);
    show();
}

void AttachmentList::setSources(const std::vector<AttachmentRow> &rows)
{
    for (int i = 0; i < count() && i < static_cast<int>(rows.size()); ++i) {
        QListWidgetItem *row = item(i);
        row->setData(kPathRole, rows[std::size_t(i)].source);
        row->setData(kKindRole, rows[std::size_t(i)].kind);
    }
}

bool AttachmentList::removeCurrent()
{
    QListWidgetItem *row = currentItem();
    if (!row || !row->isSelected())
        return false;
    delete row;
    if (count() == 0)
        hide();
    return true;
}
