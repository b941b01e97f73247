#pragma once

#include "ui/WindowOpener.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QVBoxLayout;
class TFM_AddEdit;
struct WindowServices;

// The address list: entries listed, added, edited and deleted (after a question naming
// the entry), and names picked into To, Cc and Bcc. Created once at start and shown
// modally in one of two layouts: managing (the list and its buttons) or picking (with the
// three pick lists and OK/Cancel). The window can be resized; the list's columns grow with
// it, and each layout keeps its size. Every showing reloads the list from the file and
// starts with empty pick lists.
class TFM_AddLst : public QDialog
{
    Q_OBJECT

public:
    using Use = WindowOpener::AddressListUse;
    using Picks = WindowOpener::AddressPicks;

    TFM_AddLst(WindowServices &services, TFM_AddEdit &editor, QWidget *parent = nullptr);

    // Sets the layout (manage or pick) and the "&Close" button: shown for Manage, hidden
    // for Pick, left as the last use left it for ManageKeepClose.
    void setUse(Use use);
    // setUse, then shows the dialog modally. True on OK; picks (may be null) then holds
    // the names picked for To, Cc and Bcc.
    bool showModal(Use use, Picks *picks = nullptr);
    // The names in the three pick lists.
    Picks picks() const;

    // Reloads the list from the file.
    void ListAddresses();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPushButton *button(const char *name, const QString &text);
    QListWidget *pickList(QVBoxLayout *rows, const char *name, const QString &caption, QPushButton *add,
                          QPushButton *remove);
    QString selectedName() const;
    void addPick(QListWidget *list);
    void removePicks(QListWidget *list);
    void reportFailure(const std::exception &e);

    void Button9Click();  // New
    void Button10Click(); // Edit
    void Button11Click(); // Delete

    WindowServices &m_services;
    TFM_AddEdit &m_editor;
    bool m_pickLayout = false;
    bool m_shown = false;
    QSize m_sizes[2]; // manage, pick

    QTreeWidget *LstV_Add = nullptr;
    QPushButton *Button9 = nullptr;
    QPushButton *Button10 = nullptr;
    QPushButton *Button11 = nullptr;
    QPushButton *Bt_Can = nullptr;
    QListWidget *Lbx_To = nullptr;
    QListWidget *Lbx_Cc = nullptr;
    QListWidget *Lbx_Bcc = nullptr;
    QPushButton *Button7 = nullptr;
    QPushButton *Button8 = nullptr;
    QWidget *m_pickSide = nullptr; // what only the pick layout shows
};
