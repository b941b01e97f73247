#pragma once

#include "mailbox/MailBoxLists.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>

// The main window's mail list over the shown list (a vector the core owns): one row per
// summary, the six visible columns and the record position in column 6, which the view
// hides. The model only reads the vector; whoever changes it calls reset().
class MailListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int PositionColumn = 6;

    explicit MailListModel(const BoxList &rows, QObject *parent = nullptr);

    // The rows changed (reload, box switch, sort).
    void reset();
    void setHeaders(const QStringList &headers);
    const QStringList &headers() const { return m_headers; }
    void setAttachmentMarker(const QIcon &icon) { m_marker = icon; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    // A header as a screen reader says it (the sort mark in words).
    QString accessibleHeader(int section) const;

    const BoxList &m_rows;
    QStringList m_headers;
    QIcon m_marker;
};
