#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

// The composer's address rows: the pick buttons beside the To, CC and BCC fields, the
// subject, and the picture at the right. The buttons' column is as wide as its widest
// caption; a recipient field grows with its lines (up to five) and pushes the rows below
// it down, whenever its text changes.
class AddressRows : public QWidget
{
    Q_OBJECT
public:
    explicit AddressRows(QWidget *parent = nullptr);

    QToolButton *pickTo() const { return m_pickTo; }
    QToolButton *pickCc() const { return m_pickCc; }
    QToolButton *pickBcc() const { return m_pickBcc; }
    QPlainTextEdit *to() const { return m_to; }
    QPlainTextEdit *cc() const { return m_cc; }
    QPlainTextEdit *bcc() const { return m_bcc; }
    QLabel *subjectLabel() const { return m_subjectLabel; }
    QLineEdit *subject() const { return m_subject; }
    QLabel *picture() const { return m_picture; }

    // The recipient fields as high as their lines, the rows below moved down.
    void fitRows();
    // The fields as wide as the window leaves them, the picture after them.
    void fitWidth(int windowWidth);

private:
    void placeRows();

    QToolButton *m_pickTo = nullptr;
    QToolButton *m_pickCc = nullptr;
    QToolButton *m_pickBcc = nullptr;
    QPlainTextEdit *m_to = nullptr;
    QPlainTextEdit *m_cc = nullptr;
    QPlainTextEdit *m_bcc = nullptr;
    QLabel *m_subjectLabel = nullptr;
    QLineEdit *m_subject = nullptr;
    QLabel *m_picture = nullptr;
    int m_fieldLeft = 0; // where the fields start
    int m_rowHeight = 0; // a row's height at one line
};
