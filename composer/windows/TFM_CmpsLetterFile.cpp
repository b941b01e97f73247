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
