// File > Save Letter As...: the letter kept as an RTF file of its own, wherever the
// person chooses (also when the mail store cannot be written).
#include "composer/windows/TFM_Cmps.h"

#include "composer/LetterFile.h"
#include "composer/windows/ComposerEditor.h"
#include "richtext/LetterDocument.h"
#include "ui/WindowServices.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

void TFM_Cmps::buildLetterFile()
{
    SaveLetterAs1 = new QAction(QStringLiteral("Save Letter &As..."), this);
    SaveLetterAs1->setObjectName(QStringLiteral("SaveLetterAs1"));
    SaveLetterAs1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    SaveLetterAs1->setShortcutContext(Qt::WindowShortcut);
    SaveLetterAs1->setStatusTip(QStringLiteral("Keep the letter as a rich-text file"));
    SaveLetterAs1->setIcon(QIcon::fromTheme(QStringLiteral("document-save-as")));
    addAction(SaveLetterAs1);
    connect(SaveLetterAs1, &QAction::triggered, this, &TFM_Cmps::SaveLetterAs1Click);
    // In the File menu right after Save.
    if (auto *file = MainMenu1->findChild<QMenu *>(QStringLiteral("File1"))) {
        const QList<QAction *> items = file->actions();
        const qsizetype save = items.indexOf(FileSaveCmd);
        file->insertAction(save >= 0 && save + 1 < items.size() ? items[save + 1] : nullptr, SaveLetterAs1);
    }
}

void TFM_Cmps::SaveLetterAs1Click()
{
    QString path;
    {
        const UserDialogs::Asker asker(m_services.dialogs, this);
        path = m_services.dialogs.saveFileName(QStringLiteral("Save Letter As"),
                                               QStringLiteral("Rich Text Files (*.rtf)|*.rtf"),
                                               LetterFile::suggestedName(Edt_Subject->text()), QStringLiteral("rtf"));
    }
    if (path.isEmpty())
        return;
    // The mail is not stored by this: the letter stays changed until it is.
    const QString error = LetterFile::save(path, LetterDocument::save(*Editor->document()));
    if (!error.isEmpty())
        showError(error);
}
