// The composer's recovery copy: what it holds, when it is written (RecoveryKeeper decides),
// and a composer brought back from one.
#include "composer/windows/TFM_Cmps.h"

#include "composer/LetterRecovery.h"
#include "composer/RecoveryKeeper.h"
#include "composer/windows/ComposerEditor.h"
#include "mailbox/MailStore.h"
#include "os/AppError.h"
#include "os/DataPaths.h"
#include "richtext/LetterDocument.h"
#include "ui/WindowServices.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStatusBar>

void TFM_Cmps::setRecoveryFolder(RecoveryFolder &folder)
{
    if (m_recovery)
        return;
    m_recovery = new RecoveryKeeper(
        folder, [this] { return letterChanged(); }, [this] { return recoveryCopy(); }, this);
    connect(m_recovery, &RecoveryKeeper::status, this, [this](const QString &text) { statusBar()->showMessage(text); });
    const auto changed = [this] { m_recovery->noteChange(); };
    connect(Editor->document(), &QTextDocument::contentsChanged, m_recovery, changed);
    for (QPlainTextEdit *memo : {Memo_To, Memo_CC, Memo_BCC})
        connect(memo, &QPlainTextEdit::textChanged, m_recovery, changed);
    connect(Edt_Subject, &QLineEdit::textChanged, m_recovery, changed);
    connect(LstV_Attach->model(), &QAbstractItemModel::rowsInserted, m_recovery, changed);
    connect(LstV_Attach->model(), &QAbstractItemModel::rowsRemoved, m_recovery, changed);
    // Losing the focus to another program or window is when a crash would hurt most.
    connect(qApp, &QApplication::focusChanged, m_recovery, [this](QWidget *old, QWidget *now) {
        if (old && old->window() == this && (!now || now->window() != this))
            m_recovery->focusLost();
    });
}

RecoveryCopy TFM_Cmps::recoveryCopy()
{
    RecoveryCopy copy;
    copy.mode = FMode;
    copy.boxCode = FBoxCode;
    copy.recordPos = FRecordPos;
    if (FMode == ComposeMode::Modify && m_replacedDigest.isEmpty()) {
        try {
            m_replacedDigest = LetterRecovery::digestOf(MailStore(m_services.paths.mailBox).ReadMailText(FRecordPos));
        } catch (const AppError &) {
            // Unreadable now: the copy comes back as a new mail.
        }
    }
    copy.replacedDigest = m_replacedDigest;
    copy.letter = LetterDocument::save(*Editor->document());
    copy.subject = Edt_Subject->text();
    copy.to = Memo_To->toPlainText();
    copy.cc = Memo_CC->toPlainText();
    copy.bcc = Memo_BCC->toPlainText();
    for (const AttachmentRow &row : attachmentRows()) {
        RecoveryCopy::Attachment a{row.caption, {}, {}, row.kind == AttachmentRow::Stream};
        if (!a.stream) {
            a.path = row.source;
        } else {
            bool ok = false;
            const int index = row.source.toInt(&ok);
            if (!ok || index < 0 || index >= MSG.Attachments.Count())
                continue;
            TMailPart *part = MSG.Attachments[index];
            if (!part->IsDecoded)
                part->Decode();
            // Not copied: the copy is written before the message can change.
            a.bytes = QByteArray::fromRawData(part->DecodedBody.data(), qsizetype(part->DecodedBody.size()));
        }
        copy.attachments.push_back(std::move(a));
    }
    return copy;
}

void TFM_Cmps::restoreRecovered(const RecoveryCopy &copy, const QString &path)
{
    Editor->loadLetter(copy.letter);
    Edt_Subject->setText(copy.subject);
    Memo_To->setPlainText(copy.to);
    Memo_CC->setPlainText(copy.cc);
    Memo_BCC->setPlainText(copy.bcc);
    for (const AttachmentRow &row : LetterRecovery::attachmentRows(copy, MSG))
        addAttachmentRow(row);
    FMode = copy.mode;
    FBoxCode = copy.boxCode;
    FRecordPos = copy.recordPos;
    m_replacedDigest = copy.replacedDigest;
    // Brought back, not saved: closing asks, and Save stores it.
    FJustOpened = false;
    setLetterChanged(true);
    if (m_recovery)
        m_recovery->adopt(path, copy.stamp);
}

void TFM_Cmps::discardRecoveryCopy()
{
    if (m_recovery)
        m_recovery->discard();
}
