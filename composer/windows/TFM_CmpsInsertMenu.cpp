// The Insert menu of the composer: pictures from files (also files dropped on the
// letter) and their size.
#include "composer/windows/TFM_Cmps.h"

#include "composer/PictureFile.h"
#include "composer/PictureSize.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/ComposerSpelling.h"
#include "composer/windows/PictureSizeDialog.h"
#include "ui/UserDialogs.h"
#include "ui/WindowServices.h"

#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

void TFM_Cmps::buildPictures()
{
    // Offered while the caret stands on a picture.
    auto updateSize = [this] { PictureSize1->setEnabled(!PictureSize::pictureAt(Editor->textCursor()).isNull()); };
    connect(Editor, &QTextEdit::cursorPositionChanged, this, updateSize);
    connect(Editor, &QTextEdit::selectionChanged, this, updateSize);
    updateSize();

    connect(Editor, &ComposerEditor::filesDropped, this, &TFM_Cmps::EditorFilesDropped);
}

void TFM_Cmps::InsertPicture1Click()
{
    QString path;
    {
        const UserDialogs::Asker asker(m_services.dialogs, this);
        path = m_services.dialogs.openFileName(QStringLiteral("Insert Picture"), PictureFile::dialogFilter());
    }
    if (!path.isEmpty())
        insertPictureFiles({path});
}

void TFM_Cmps::insertPictureFiles(const QStringList &paths)
{
    if (Editor->isReadOnly())
        return;
    const int width = PictureFile::textWidth(m_services.settings);
    for (const QString &path : paths) {
        const PictureFile::Picture picture = PictureFile::read(path);
        if (picture.image.isNull()) {
            showError(picture.error);
            continue;
        }
        QTextCursor cursor = Editor->textCursor();
        PictureFile::insert(cursor, picture, width);
        Editor->setTextCursor(cursor);
    }
    Editor->setFocus();
}

void TFM_Cmps::PictureSize1Click()
{
    QTextCursor picture = PictureSize::pictureAt(Editor->textCursor());
    if (picture.isNull() || Editor->isReadOnly())
        return;
    PictureSizeDialog dialog(PictureSize::naturalSize(picture), PictureSize::shownSize(picture), this);
    if (dialog.exec() == QDialog::Accepted)
        PictureSize::resize(picture, dialog.chosenSize());
    Editor->setFocus();
}

void TFM_Cmps::EditorFilesDropped(const QList<QUrl> &files)
{
    const PictureFile::Dropped dropped = PictureFile::sort(files);
    insertPictureFiles(dropped.pictures);
    if (!dropped.others.isEmpty() && !attachSizeAccepted(dropped.others))
        return;
    for (const QString &path : dropped.others) {
        const QFileInfo info(path);
        addAttachmentRow({info.fileName(), info.absoluteFilePath(), AttachmentRow::File});
        setLetterChanged(true);
    }
}
