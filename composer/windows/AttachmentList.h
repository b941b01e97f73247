#pragma once

#include "composer/AttachmentRow.h"

#include <QListWidget>
#include <vector>

// The composer's attachment list: one row per attachment, side by side under the letter,
// shown while it holds rows. Each row keeps where its attachment comes from (a file, or
// the index of a stored mail's part) besides its caption.
class AttachmentList : public QListWidget
{
    Q_OBJECT
public:
    explicit AttachmentList(QWidget *parent = nullptr);

    std::vector<AttachmentRow> rows() const;
    // A new row at the end; the list shows.
    void addRow(const AttachmentRow &row);
    // Points the first rows at the sources of `rows` (an attachment written to a temporary
    // file is found there from then on).
    void setSources(const std::vector<AttachmentRow> &rows);
    // Removes the selected current row; false when no row was selected. The list hides
    // when its last row goes.
    bool removeCurrent();
};
