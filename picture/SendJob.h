#pragma once

#include "mail/TMailMessage.h"
#include "richtext/layout/FormatRange.h"
#include "smtp/TransparentStream.h"

#include <QString>
#include <QTextDocument>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ConfigSettings;
class MailStore;

// The steps of sending one stored mail as a picture mail, without a window: load the
// stored mail and its letter, render the letter to page pictures, give the mail its
// HTML body around them, rebuild the mail text and (for the desktop mail program) save
// it as an .eml file. The send dialog runs these steps in its job loop; vellorn-cli and
// the tests run them directly.
class SendJob
{
public:
    // The settings are read at each step (the dialog passes the process-wide record);
    // they must outlive the job.
    explicit SendJob(const ConfigSettings &settings);
    SendJob(const ConfigSettings &&) = delete;

    // The letter of the current mail, laid out for rendering (never shown).
    QTextDocument FEdt;
    // The mail being sent.
    TMailMessage FMailMsg;
    // Pages made for the current mail.
    int PageCount = 0;

    // Asked after each page and before each row of the HTML body; true stops the step.
    std::function<bool()> isCancelled;
    // Rendering progress in percent, after each page.
    std::function<void(int percent)> renderProgress;
    // Each page picture as it is added to the mail (the preview shows these very bytes).
    std::function<void(int page, std::string_view picture)> pageAdded;

    // Reads the record at `position` of the store and loads it (see LoadMailText). A
    // record that cannot be read raises AppError; the message and the letter are then
    // left empty, never holding the mail before.
    void LoadLetter(const MailStore &store, std::int64_t position);
    // Loads a stored mail's text into FMailMsg and its letter (the rich-text source the
    // composer keeps in the plain-text body) into FEdt. An empty letter leaves FEdt empty.
    void LoadMailText(const std::string &text);
    // LoadLetter for a send through SMTP: the bodies of large attachments are not read
    // (MailStore::LoadMailShown). Each such part holds a line that stands for its body
    // until the text is sent, and outerBody() tells the session where to read the body.
    void LoadLetterLeavingBodies(const MailStore &store, std::int64_t position);
    // True when the mail has bodies left in the store: its text must be written while it
    // is sent (TSMTP::RebuildWhileSending), with outerBody as the session's OuterBody.
    bool hasOuterBodies() const { return !m_outer.empty(); }
    std::optional<TransparentStream::Source> outerBody(std::string_view piece) const;
    // Renders FEdt to pictures "1.png", "2.jpg", ... (each page's format as PagePicture
    // tells) embedded in FMailMsg, each with a Content-ID of its own
    // ("page1.png.RANDOM@domain"); sets PageCount.
    void RenderPages();
    // Replaces the bodies: the letter as text for the plain alternative, the picture page
    // as the HTML: each picture's alt text "Page n of m. " and its first sentence, and
    // the letter's words hidden before the pictures, or (PIC_TextBelow) visible below them.
    // False (the message untouched) when cancelled before the last row.
    bool BuildHtmlBody();
    // Writes the mail text from the tree, as it leaves through SMTP: with a Message-ID of
    // its own and without the "X-Unsent" mark.
    void Rebuild();
    // The header fields Rebuild gives, without writing the text (for a mail written while
    // it is sent).
    void RebuildHeaders();
    // The rebuilt mail text as the desktop's mail program gets it: with "X-Unsent: 1" (which
    // only this text carries) and every line ended by CR LF.
    std::string HandOverText();
    // The same text handed to `sink` a piece at a time: the bodies left in the store
    // (LoadLetterLeavingBodies) are read from it a stretch at a time, so a mail with a
    // large attachment is never held whole.
    void WriteHandOver(const std::function<void(std::string_view)> &sink);
    // Writes the hand-over text to `path`, replacing any file of that name (vellorn-cli's output
    // file; the send job's hand-over files are made new through EmlHandOver).
    void SaveToFile(const QString &path);

    // The letter's positions on each page of the last RenderPages (first, first not drawn).
    const std::vector<std::pair<int, int>> &pageRanges() const { return m_pageRanges; }
    // The text lines each page of the last RenderPages shows, where it shows them.
    const std::vector<std::vector<FormatRange::TextLine>> &pageLines() const { return m_pageLines; }

private:
    void clearLetter();
    // The steps of LoadMailText after the text was read into FMailMsg.
    void loadLoaded();

    struct OuterBody
    {
        std::string stand; // the line the part holds instead of its body
        std::int64_t offset = 0;
        std::int64_t length = 0;
    };
    std::vector<OuterBody> m_outer;
    QString m_outerStore;

    const ConfigSettings &m_settings;
    // The letter's positions on each rendered page (first, first not drawn).
    std::vector<std::pair<int, int>> m_pageRanges;
    std::vector<std::vector<FormatRange::TextLine>> m_pageLines;
    // The Content-ID of each page's picture, without angle brackets.
    std::vector<std::string> m_pageIds;
};
