#include "ui/CertificateQuestion.h"

#include <QMessageBox>
#include <QPushButton>

CertificateQuestion::CertificateQuestion(QWidget *parent)
    : m_parent(parent)
{
}

QMessageBox *CertificateQuestion::makeBox(const CertificateFacts &facts) const
{
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Untrusted certificate"), facts.text(),
                                QMessageBox::NoButton, m_parent);
    box->setObjectName(QStringLiteral("CertificateQuestion"));
    // The facts come from the server: never read as markup.
    box->setTextFormat(Qt::PlainText);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->setInformativeText(QStringLiteral("Trust this certificate only when you know that the server really shows it "
                                           "(compare the fingerprint with what its administrator gives you)."));
    QPushButton *trust = box->addButton(QStringLiteral("Trust this certificate"), QMessageBox::AcceptRole);
    trust->setObjectName(QStringLiteral("BT_Trust"));
    trust->setAutoDefault(false);
    QPushButton *cancel = box->addButton(QMessageBox::Cancel);
    cancel->setObjectName(QStringLiteral("BT_Cancel"));
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    return box;
}

bool CertificateQuestion::trustCertificate(const CertificateFacts &facts)
{
    QMessageBox *box = makeBox(facts);
    m_box = box;
    box->exec();
    const bool trusted = box->clickedButton() && box->buttonRole(box->clickedButton()) == QMessageBox::AcceptRole;
    delete box;
    return trusted;
}
