#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QPushButton;
struct WindowServices;

// The editor of one address-book entry. Created once at start and reused: every caller
// sets its caption and fields. OK refuses an empty name or address, and a name the
// address book cannot keep, with a plain message box and stays open. It asks before it
// stores an address that is plainly not one, and before it replaces another entry of
// the same name (in any case); No keeps it open with what was typed.
class TFM_AddEdit : public QDialog
{
    Q_OBJECT

public:
    explicit TFM_AddEdit(WindowServices &services, QWidget *parent = nullptr);

    // "Add Address": shows the editor empty with the caption "Add ..." and stores the
    // entry on OK. True when an entry was stored.
    bool AddAddress();
    // Shows the entry with the caption "Edit ..." and stores the change on OK (a changed
    // name replaces the old entry). True when the change was stored.
    bool EditAddress(const std::string &name, const std::string &address);

    // The caption and the fields, as every caller sets them before showing the editor.
    void setEntry(const QString &caption, const std::string &name, const std::string &address);
    // The fields as typed.
    std::string name() const;
    std::string address() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool showFor(const QString &caption, const std::string &name, const std::string &address);
    bool reportFailure(const std::exception &e);
    // Asks the question (none when empty); on No puts the focus into field.
    bool confirmed(const QString &question, QLineEdit *field);
    void Button7Click(); // OK

    WindowServices &m_services;
    std::string m_editedName; // the entry being edited; empty while adding
    QLineEdit *Edt_Name = nullptr;
    QLineEdit *Edt_Mail = nullptr;
    QPushButton *Button7 = nullptr;
    QPushButton *Button8 = nullptr;
};
