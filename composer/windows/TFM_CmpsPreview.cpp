// The composer's picture preview and printing: the preview window gets the letter as it
// is at each refresh, and only reads it.
#include "composer/windows/TFM_Cmps.h"

#include "composer/windows/ComposerEditor.h"
#include "richtext/LetterDocument.h"
#include "ui/WindowOpener.h"
#include "ui/WindowServices.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

void TFM_Cmps::openPreview(bool print)
{
    QPointer<TFM_Cmps> self(this);
    m_services.opener.showPreview([self] {
        PicturePreview::Input input;
        if (!self)
            return input;
        input.letter = LetterDocument::save(*self->Editor->document());
        input.subject = self->Edt_Subject->text();
        input.to = self->Memo_To->toPlainText();
        for (const AttachmentRow &row : self->attachmentRows()) {
            qint64 size = 0;
            if (row.kind == AttachmentRow::File) {
                size = QFileInfo(row.source).size();
            } else if (const int index = row.source.toInt(); index >= 0 && index < self->MSG.Attachments.Count()) {
                TMailPart *part = self->MSG.Attachments[index];
                size = qint64(part->IsDecoded ? part->DecodedBody.size() : part->EncodedBody.size() * 3 / 4);
            }
            input.attachmentSizes.push_back(size);
            input.attachmentNames << row.caption;
        }
        return input;
    }, this, print);
}

void TFM_Cmps::PreviewPictures1Click()
{
    openPreview(false);
}

void TFM_Cmps::Print1Click()
{
    openPreview(true);
}
