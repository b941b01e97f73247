#include "mailbox/MailListModel.h"

#include "text/Ansi.h"

MailListModel::MailListModel(const BoxList &rows, QObject *parent)
    : QAbstractTableModel(parent)
    , m_rows(rows)
{
}

void MailListModel::reset()
{
    beginResetModel();
    endResetModel();
}

void MailListModel::setHeaders(const QStringList &headers)
{
    m_headers = headers;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int MailListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int MailListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : PositionColumn + 1;
}

QVariant MailListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const MailSummary &mail = m_rows[size_t(index.row())];
    if (role == Qt::DecorationRole && index.column() == 0)
        return mail.attachFlag == 'Y' ? QVariant(m_marker) : QVariant();
    if (role == Qt::ToolTipRole && index.column() == 0 && mail.attachFlag == 'Y')
        return QStringLiteral("Has attachments");
    // A screen reader reads the marker column as words.
    if (role == Qt::AccessibleTextRole && index.column() == 0)
        return mail.attachFlag == 'Y' ? QStringLiteral("Has attachments") : QStringLiteral("No attachments");
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 2:
        return mail.toText;
    case 3:
        return mail.subjectText;
    case 4:
        return Ansi::toQString(mail.date);
    case 5:
        return QString::fromLatin1(mail.sizeText);
    case PositionColumn:
        return QString::number(mail.position);
    default:
        return {};
    }
}

QVariant MailListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DecorationRole && section == 0)
        return m_marker;
    if (role == Qt::DisplayRole && section >= 0 && section < m_headers.size())
        return m_headers[section];
    if (role == Qt::AccessibleTextRole && section >= 0 && section < m_headers.size())
        return accessibleHeader(section);
    return {};
}

QString MailListModel::accessibleHeader(int section) const
{
    if (section == 0)
        return QStringLiteral("Attachments");
    // " ^" marks the column the list is sorted by; a listener hears it in words.
    QString header = m_headers[section].trimmed();
    if (!header.endsWith(QLatin1String(" ^")))
        return header;
    header.chop(2);
    return header.trimmed() + QStringLiteral(", sorted ascending");
}
