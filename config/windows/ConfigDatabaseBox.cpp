#include "config/windows/ConfigDatabaseBox.h"

#include "config/ConfigKeys.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>

namespace {

QString publicDatabase()
{
    const std::string_view url = ConfigKeys::of(ConfigKey::ACC_ConfigDatabase).missing.text;
    return QString::fromLatin1(url.data(), static_cast<qsizetype>(url.size()));
}

} // namespace

ConfigDatabaseBox::ConfigDatabaseBox(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ConfigDatabaseBox"));
    CB_ConfigDatabase = new QCheckBox(QStringLiteral("Ask the configuration data&base:"), this);
    CB_ConfigDatabase->setObjectName(QStringLiteral("CB_ConfigDatabase"));
    CB_ConfigDatabase->setToolTip(QStringLiteral("Find settings tells this database the domain of your address "
                                                 "(never the address itself or the password)"));
    Edt_ConfigDatabase = new QLineEdit(this);
    Edt_ConfigDatabase->setObjectName(QStringLiteral("Edt_ConfigDatabase"));
    Edt_ConfigDatabase->setAccessibleName(QStringLiteral("Address of the configuration database"));
    Edt_ConfigDatabase->setToolTip(QStringLiteral("Asked as this address followed by your domain"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(CB_ConfigDatabase);
    layout->addWidget(Edt_ConfigDatabase, 1);
    setFocusProxy(CB_ConfigDatabase);

    connect(CB_ConfigDatabase, &QCheckBox::toggled, this, &ConfigDatabaseBox::ticked);
    connect(Edt_ConfigDatabase, &QLineEdit::textChanged, this, &ConfigDatabaseBox::changed);
    setValue(publicDatabase());
}

void ConfigDatabaseBox::setValue(const QString &value)
{
    const QString url = value.trimmed();
    // Unticked, the box still shows an address, so that ticking it again needs no typing.
    Edt_ConfigDatabase->setText(url.isEmpty() ? publicDatabase() : url);
    // The start of the address shows, where a narrow box would show its end.
    Edt_ConfigDatabase->setCursorPosition(0);
    CB_ConfigDatabase->setChecked(!url.isEmpty());
    Edt_ConfigDatabase->setEnabled(!url.isEmpty());
    emit changed();
}

QString ConfigDatabaseBox::value() const
{
    return CB_ConfigDatabase->isChecked() ? Edt_ConfigDatabase->text().trimmed() : QString();
}

void ConfigDatabaseBox::ticked(bool on)
{
    Edt_ConfigDatabase->setEnabled(on);
    if (on && Edt_ConfigDatabase->text().trimmed().isEmpty()) {
        Edt_ConfigDatabase->setText(publicDatabase());
        Edt_ConfigDatabase->setCursorPosition(0);
    }
    emit changed();
}
