#include "picture/PicturePreview.h"

#include "mail/TMailMessage.h"
#include "os/AppError.h"
#include "picture/SendJob.h"
#include "richtext/LetterText.h"

namespace {

// The headers of one attachment part, roughly: content type, encoding, disposition with
// the name twice, the boundary line.
constexpr qint64 kAttachmentHeaderBytes = 200;

} // namespace

PicturePreview::Result PicturePreview::render(const ConfigSettings &settings, const Input &input,
                                              const std::function<void(int, const QByteArray &)> &pageReady,
                                              const std::function<bool()> &cancelled)
{
    Result result;
    try {
        // The mail as the composer stores it, without its attachments (they do not change
        // the pictures; their size is added below).
        TMailMessage stored;
        stored.SetSubjectText(input.subject);
        stored.SetPlainText(input.letter);
        stored.Rebuild();

        SendJob job(settings);
        job.isCancelled = cancelled;
        job.pageAdded = [&](int page, std::string_view jpeg) {
            QByteArray bytes(jpeg.data(), qsizetype(jpeg.size()));
            result.pictureBytes += bytes.size();
            if (pageReady)
                pageReady(page, bytes);
            result.pages.push_back(std::move(bytes));
        };
        job.LoadMailText(stored.SourceText());
        job.RenderPages();
        if (cancelled && cancelled())
            return result;
        LetterText::Options page;
        page.cellSeparator = QStringLiteral(" ");
        page.rules = false;
        for (const auto &[start, end] : job.pageRanges()) {
            page.start = start;
            page.end = end;
            result.pageTexts.push_back(LetterText::lines(job.FEdt, page));
        }
        result.pageLines = job.pageLines();
        job.BuildHtmlBody();
        job.Rebuild();
        result.mailBytes = qint64(job.FMailMsg.SourceText().size()) + input.to.toUtf8().size() + 6;
        for (const qint64 size : input.attachmentSizes)
            result.mailBytes += base64Size(size) + kAttachmentHeaderBytes;
        for (const QString &name : input.attachmentNames)
            result.mailBytes += 2 * name.toUtf8().size();
    } catch (const AppError &e) {
        result.error = QString::fromUtf8(e.what());
    }
    return result;
}

qint64 PicturePreview::base64Size(qint64 bytes)
{
    const qint64 chars = (bytes + 2) / 3 * 4;
    return chars + (chars + 75) / 76 * 2;
}

QString PicturePreview::sizeText(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 bytes").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
    return QStringLiteral("%1 MB").arg(double(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

QString PicturePreview::summary(const Result &result)
{
    const int pages = int(result.pages.size());
    return QStringLiteral("%1 %2, pictures %3; the mail with its attachments about %4")
        .arg(pages)
        .arg(pages == 1 ? QStringLiteral("page") : QStringLiteral("pages"))
        .arg(sizeText(result.pictureBytes), sizeText(result.mailBytes));
}
