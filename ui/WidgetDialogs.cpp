#include "ui/WidgetDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

// Callers give filters as "Description|pattern|Description|pattern" with the patterns
// apart by ";"; the file dialog takes "Description (pattern pattern);;..." and reads the
// patterns from the last parentheses, apart by blanks only: "(*.png;*.jpg)" would be one
// pattern that names no file. So a description that shows its patterns in parentheses
// keeps its words, and the parentheses get the patterns as the dialog reads them.
QString qtFilter(const QString &filter)
{
    if (!filter.contains(QLatin1Char('|')))
        return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        QString pattern = parts[i + 1];
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open >= 0 && description.endsWith(QLatin1Char(')')))
            description.truncate(open);
        else if (!description.isEmpty())
            description += QLatin1Char(' ');
        out << description + QLatin1Char('(') + pattern + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

} // namespace

WidgetDialogs::WidgetDialogs(QWidget *parent)
    : m_parent(parent)
{
}

QWidget *WidgetDialogs::owner() const
{
    // The window that said it asks, while it shows.
    if (auto *window = qobject_cast<QWidget *>(asker()); window && window->isVisible())
        return window->window();
    // A modal dialog takes all input: what it (or anything under it) asks comes in front.
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    // Otherwise the person asked from the window they work in. A dialog of another window
    // would bring that one to the front when it closes.
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return m_parent;
}

UserDialogs::Answer WidgetDialogs::messageBox(Kind kind, const QString &caption, const QString &text, Buttons buttons)
{
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (kind) {
    case Kind::Warning: icon = QMessageBox::Warning; break;
    case Kind::Error: icon = QMessageBox::Critical; break;
    case Kind::Information: icon = QMessageBox::Information; break;
    case Kind::Confirmation: icon = QMessageBox::Question; break;
    case Kind::Plain: icon = QMessageBox::NoIcon; break;
    }
    QMessageBox::StandardButtons std = QMessageBox::Ok;
    switch (buttons) {
    case Buttons::Ok: std = QMessageBox::Ok; break;
    case Buttons::OkCancel: std = QMessageBox::Ok | QMessageBox::Cancel; break;
    case Buttons::YesNo: std = QMessageBox::Yes | QMessageBox::No; break;
    case Buttons::YesNoCancel: std = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    }
    QMessageBox box(icon, caption, text, std, owner());
    // Texts carry what people typed (subjects, names): never read as markup.
    box.setTextFormat(Qt::PlainText);
    // A yes/no question comes before something that cannot be undone: Enter answers No.
    if (buttons == Buttons::YesNo)
        box.setDefaultButton(QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
}

QString WidgetDialogs::openFileName(const QString &caption, const QString &filter, const QString &directory)
{
    return QFileDialog::getOpenFileName(owner(), caption, directory, qtFilter(filter));
}

QStringList WidgetDialogs::openFileNames(const QString &caption, const QString &filter, const QString &directory)
{
    return QFileDialog::getOpenFileNames(owner(), caption, directory, qtFilter(filter));
}

QString WidgetDialogs::saveFileName(const QString &caption, const QString &filter, const QString &suggestedName,
                                   const QString &defaultExtension)
{
    QFileDialog dialog(owner(), caption, QString(), qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultExtension);
    if (!suggestedName.isEmpty())
        dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
