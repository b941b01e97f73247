#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;

// The SMTP page's choice of the configuration database Find settings asks: a check box
// ("Ask the configuration database") and the database's address beside it. Its value is
// the setting's: the address while the box is ticked, empty (never asked) while it is not.
// Ticking it with no address brings back the public database.
class ConfigDatabaseBox : public QWidget
{
    Q_OBJECT

public:
    explicit ConfigDatabaseBox(QWidget *parent = nullptr);

    // Empty: off; otherwise ticked with this address.
    void setValue(const QString &value);
    QString value() const;

    QCheckBox *CB_ConfigDatabase = nullptr;
    QLineEdit *Edt_ConfigDatabase = nullptr;

signals:
    // The value may have changed (ticked, unticked, typed).
    void changed();

private:
    void ticked(bool on);
};
