#include "WidgetDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

WidgetDialogs::WidgetDialogs(QWidget *parent)
    : m_parent(parent)
{
}

UserDialogs::Answer WidgetDialogs::messageBox(Kind kind, const QString &caption, const QString &text, Buttons buttons)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (kind) {
    case Kind::Warning: icon = QMessageBox::Warning; break;
    case Kind::Error: icon = QMessageBox::Critical; break;
    case Kind::Information: icon = QMessageBox::Information; break;
    case Kind::Confirmation: icon = QMessageBox::Question; break;
    }
    QMessageBox::StandardButtons std = QMessageBox::Ok;
    switch (buttons) {
    case Buttons::Ok: std = QMessageBox::Ok; break;
    case Buttons::OkCancel: std = QMessageBox::Ok | QMessageBox::Cancel; break;
    case Buttons::YesNo: std = QMessageBox::Yes | QMessageBox::No; break;
    case Buttons::YesNoCancel: std = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    }
    QMessageBox box(icon, caption, text, std, m_parent ? m_parent : QApplication::activeWindow());
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
}

QString WidgetDialogs::openFileName(const QString &caption, const QString &filter, const QString &directory)
{
    return QFileDialog::getOpenFileName(m_parent, caption, directory, filter);
}

QStringList WidgetDialogs::openFileNames(const QString &caption, const QString &filter, const QString &directory)
{
    return QFileDialog::getOpenFileNames(m_parent, caption, directory, filter);
}

QString WidgetDialogs::saveFileName(const QString &caption, const QString &filter, const QString &suggestedName)
{
    return QFileDialog::getSaveFileName(m_parent, caption, suggestedName, filter);
}
