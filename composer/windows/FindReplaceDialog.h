#pragma once

#include "composer/TextFinder.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The composer's Find and Replace window: stays open beside the letter (not modal) and
// only reports what the person asks for; the composer does the finding (TextFinder). The
// Replace row and its buttons show only in replace mode. Find Next is the default
// button; Replace All never is.
class FindReplaceDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FindReplaceDialog(QWidget *parent = nullptr);

    // Find (false) or Find and Replace (true); the caption and the rows follow.
    void setReplaceMode(bool replace);
    bool replaceMode() const { return m_replace; }
    // The text to find, selected so that typing replaces it.
    void setFindText(const QString &text);
    QString findText() const;
    QString replaceText() const;
    TextFinder::Options options() const;
    // A line under the fields: what the last search found, or that it wrapped.
    void setStatus(const QString &text);

    QLineEdit *Edt_Find = nullptr;
    QLineEdit *Edt_Replace = nullptr;
    QCheckBox *CHK_MatchCase = nullptr;
    QCheckBox *CHK_WholeWords = nullptr;
    QCheckBox *CHK_Backward = nullptr;
    QPushButton *BT_FindNext = nullptr;
    QPushButton *BT_Replace = nullptr;
    QPushButton *BT_ReplaceAll = nullptr;
    QPushButton *BT_Close = nullptr;
    QLabel *LB_Status = nullptr;

signals:
    void findNextClicked();
    void replaceClicked();
    void replaceAllClicked();

private:
    void updateButtons();

    QLabel *m_replaceLabel = nullptr;
    bool m_replace = false;
};
