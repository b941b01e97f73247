#include "picture/SendJob.h"

#include "config/ConfigSettings.h"
#include "mail/RandomSource.h"
#include "mail/StringHelpers.h"
#include "mailbox/MailStore.h"
#include "os/AppError.h"
#include "os/DefaultFont.h"
#include "os/LocalTime.h"
#include "picture/HtmlBody.h"
#include "picture/LetterHtml.h"
#include "picture/PagePicture.h"
#include "picture/PageRenderer.h"
#include "picture/PictureMailText.h"
#include "richtext/LetterDocument.h"
#include "richtext/LetterText.h"
#include "text/Ansi.h"
#include "text/CrLfWriter.h"
#include "text/LineBreaks.h"
#include "text/TextRules.h"

#include <QDir>
#include <QSaveFile>
#include <algorithm>
#include <deque>
#include <cstdio>

namespace {

// Only bytes up to and including the space (blanks and control characters).
bool blankText(const std::string &text)
{
    return TextRules::isBlankOrControlOnly(text);
}

} // namespace

SendJob::SendJob(const ConfigSettings &settings)
    : m_settings(settings)
{
    FMailMsg.Name = "FMailMsg";
    FMailMsg.Charset = "iso-8859-1";
    FMailMsg.TextEncoding = etQuotedPrintable;
    FMailMsg.AttachEncoding = etBase64;
    FMailMsg.EmbedMethod = emContentLocation;
    clearLetter();
}

void SendJob::clearLetter()
{
    FEdt.clear();
    FEdt.setDefaultFont(DefaultFont::font());
    PageCount = 0;
    m_pageRanges.clear();
    m_pageLines.clear();
    m_pageIds.clear();
}

void SendJob::LoadLetter(const MailStore &store, std::int64_t position)
{
    // Whatever happens below, nothing of the previous mail may be sent in this one's place.
    m_outer.clear();
    FMailMsg.Clear();
    clearLetter();
    LoadMailText(store.ReadMailText(position));
}

void SendJob::LoadMailText(const std::string &text)
{
    FMailMsg.Clear();
    clearLetter();
    m_outer.clear();
    try {
        FMailMsg.LoadFromString(text);
        loadLoaded();
    } catch (...) {
        FMailMsg.Clear();
        clearLetter();
        throw;
    }
}

void SendJob::loadLoaded()
{
    // A mail stored by an older version goes out in the form written today.
    FMailMsg.RewriteFields();
    FMailMsg.Rebuild();
    FMailMsg.ScanParts();
    const std::string letter = FMailMsg.PlainText();
    if (!blankText(letter))
        LetterDocument::load(letter, FMailMsg.PlainBodyText(), &FEdt);
    if (FEdt.defaultFont() != DefaultFont::font())
        FEdt.setDefaultFont(DefaultFont::font());
}

void SendJob::LoadLetterLeavingBodies(const MailStore &store, std::int64_t position)
{
    FMailMsg.Clear();
    clearLetter();
    m_outer.clear();
    try {
        std::vector<RecordSkeleton::Gap> gaps;
        store.LoadMailShown(position, FMailMsg, &gaps);
        // Gaps and attachments both come in the order of the text.
        std::size_t next = 0;
        for (TMailPart *part : FMailMsg.Attachments) {
            if (next == gaps.size())
                break;
            const RecordSkeleton::Gap &gap = gaps[next];
            if (!part->EncodedBody.empty() || part->HeaderValue("Content-Length") != std::to_string(gap.length))
                continue;
            std::string stand = "\x01stands for the stored body at " + std::to_string(gap.offset) + "\r\n";
            part->EncodedBody = stand;
            m_outer.push_back({std::move(stand), gap.offset, gap.length});
            ++next;
        }
        m_outerStore = store.path();
        loadLoaded();
    } catch (...) {
        FMailMsg.Clear();
        clearLetter();
        m_outer.clear();
        throw;
    }
}

std::optional<TransparentStream::Source> SendJob::outerBody(std::string_view piece) const
{
    for (const OuterBody &body : m_outer) {
        if (piece != body.stand)
            continue;
        TransparentStream::Source source;
        source.length = body.length;
        source.read = [path = m_outerStore, offset = body.offset](std::int64_t at, char *out, std::size_t count) {
            MailStore(path).ReadBytes(offset + at, out, count);
        };
        return source;
    }
    return std::nullopt;
}

void SendJob::RenderPages()
{
    PageCount = 0;
    m_pageRanges.clear();
    m_pageLines.clear();
    PageRenderer renderer(m_settings);
    renderer.cancelled = isCancelled;
    renderer.progress = renderProgress;
    m_pageIds.clear();
    // One random stretch for the mail keeps its pictures' Content-IDs unique anywhere,
    // and they name the sender's domain as RFC 2392 asks.
    char stamp[24];
    std::snprintf(stamp, sizeof stamp, "%08X%08X", static_cast<unsigned>(MailRandom32()),
                  static_cast<unsigned>(MailRandom32()));
    const std::string domain = FMailMsg.MessageIdDomain(m_settings.ACC_SMTPHost);
    renderer.pageReady = [this, stamp, domain](int page, std::string_view picture) {
        // The name, the type and the Content-ID say the picture's format.
        const PagePicture::Format format = PagePicture::formatOf(picture);
        FMailMsg.AddPicture(picture, PagePicture::fileName(page, picture), PagePicture::mimeType(format), true);
        m_pageIds.push_back("page" + std::to_string(page) + "." + PagePicture::extension(format) + "." + stamp + "@"
                            + domain);
        FMailMsg.Attachments.Last()->SetHeaderValue("Content-ID", "<" + m_pageIds.back() + ">");
        if (pageAdded)
            pageAdded(page, picture);
    };
    PageCount = renderer.render(FEdt);
    for (const PageRenderer::PageRange &range : renderer.pageRanges())
        m_pageRanges.emplace_back(range.start, range.end);
    m_pageLines = renderer.pageLines();
}

bool SendJob::BuildHtmlBody()
{
    HtmlBody::Content content;
    content.pictureWidth = m_settings.PIC_W;
    content.footerLink = m_settings.PIC_FooterLink;
    content.contentIds = m_pageIds;
    content.hiddenLines = LetterText::lines(FEdt);
    if (m_settings.PIC_TextBelow && !content.hiddenLines.isEmpty())
        content.textBelow = LetterHtml::lines(FEdt);
    // Each page says which it is and how it begins: a screen reader goes from page to
    // page; the whole text is in the plain part and the hidden block (or below).
    LetterText::Options page;
    page.cellSeparator = QStringLiteral(" ");
    page.rules = false;
    int number = 0;
    for (const auto &[start, end] : m_pageRanges) {
        page.start = start;
        page.end = end;
        content.altTexts.push_back(PictureMailText::pageAlt(++number, PageCount, LetterText::lines(FEdt, page)));
    }
    std::string html;
    if (!HtmlBody::text(PageCount, content, html, isCancelled))
        return false;
    // A letter without words still has its plain alternative, as one blank.
    const QString plain = PictureMailText::plainBody(content.hiddenLines, m_settings.PIC_FooterLink);
    FMailMsg.SetPlainBody(plain.isEmpty() ? QStringLiteral(" ") : plain);
    FMailMsg.SetHtmlText(html);
    return true;
}

void SendJob::Rebuild()
{
    FMailMsg.Rebuild();
    RebuildHeaders();
}

void SendJob::RebuildHeaders()
{
    // The mail is dated when it goes out, as it gets its Message-ID then.
    FMailMsg.SetDate(LocalTime::now());
    FMailMsg.SetMessageId(FMailMsg.MessageIdDomain(m_settings.ACC_SMTPHost));
    while (FMailMsg.HasHeader("X-Unsent"))
        FMailMsg.SetHeaderValue("X-Unsent", "");
}

std::string SendJob::HandOverText()
{
    std::string text;
    WriteHandOver([&text](std::string_view piece) { text.append(piece); });
    return text;
}

void SendJob::WriteHandOver(const std::function<void(std::string_view)> &sink)
{
    // "X-Unsent: 1" tells the desktop's mail program to open the file as a mail to send;
    // it stands where the mail model writes it, after "X-Mailer", for this text only.
    const std::vector<std::string> headers = FMailMsg.Headers;
    try {
        std::deque<std::string> made;
        std::vector<std::string_view> pieces;
        std::vector<std::optional<TransparentStream::Source>> sources;
        if (FMailMsg.NeedRebuild) {
            pieces = FMailMsg.RebuiltPieces(made);
            // The head names the length of the parts; a body left in the store counts
            // with its own length, not its stand-in line's.
            std::int64_t length = 0;
            bool outer = false;
            for (std::size_t i = 1; i < pieces.size(); ++i) {
                sources.push_back(outerBody(pieces[i]));
                length += sources.back() ? sources.back()->length : static_cast<std::int64_t>(pieces[i].size());
                outer = outer || sources.back().has_value();
            }
            if (outer)
                FMailMsg.SetHeaderValue("Content-Length", std::to_string(length));
            sources.insert(sources.begin(), std::nullopt);
        } else {
            pieces = {std::string_view(), FMailMsg.EncodedBody};
            sources.resize(2);
        }
        while (FMailMsg.HasHeader("X-Unsent"))
            FMailMsg.SetHeaderValue("X-Unsent", "");
        auto at = std::find_if(FMailMsg.Headers.begin(), FMailMsg.Headers.end(),
                               [](const std::string &line) { return StartsWithNoCase(line, "X-Mailer:"); });
        FMailMsg.Headers.insert(at == FMailMsg.Headers.end() ? at : at + 1, "X-Unsent: 1");
        made.push_back(FMailMsg.SourceHead());
        pieces.front() = made.back();

        // Every line break, a lone CR or LF included, becomes CR LF, and the last line
        // ends with one too.
        CrLfWriter out(sink);
        std::string stretch;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (!sources[i]) {
                out.write(pieces[i]);
                continue;
            }
            constexpr std::int64_t kStretch = 1 << 20;
            for (std::int64_t done = 0; done < sources[i]->length; done += kStretch) {
                stretch.resize(static_cast<std::size_t>(std::min(kStretch, sources[i]->length - done)));
                sources[i]->read(done, stretch.data(), stretch.size());
                out.write(stretch);
            }
        }
        out.finish(true);
    } catch (...) {
        FMailMsg.Headers = headers;
        throw;
    }
    FMailMsg.Headers = headers;
}

void SendJob::SaveToFile(const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw AppError("Cannot write file " + path.toStdString());
    bool written = true;
    WriteHandOver([&](std::string_view piece) {
        written = written && file.write(piece.data(), static_cast<qint64>(piece.size())) == static_cast<qint64>(piece.size());
    });
    if (!written || !file.commit())
        throw AppError("Cannot write file " + path.toStdString());
}
