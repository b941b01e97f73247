#pragma once

#include "config/ConfigSettings.h"
#include "richtext/layout/FormatRange.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

// The pictures a letter will be sent as, made by the send job's own steps: the letter
// travels through a stored mail's text, SendJob loads it, renders the pages (the same
// PageRenderer and JPEG settings), builds the HTML body and rebuilds the mail. So the
// preview shows the very bytes the recipient gets, artefacts and page numbers included.
class PicturePreview
{
public:
    // What the composer holds when the preview is asked for (taken on the GUI thread).
    struct Input
    {
        std::string letter; // the letter's RTF, as the composer stores it
        QString subject;
        QString to;                          // the To field's text (it adds to the mail's size)
        std::vector<qint64> attachmentSizes; // bytes of each attachment
        QStringList attachmentNames;
    };
    struct Result
    {
        std::vector<QByteArray> pages; // JPEG bytes of page 1, 2, ...
        std::vector<QStringList> pageTexts; // the text lines each page shows
        // The same lines where each page shows them (a PDF lays its text layer there).
        std::vector<std::vector<FormatRange::TextLine>> pageLines;
        qint64 pictureBytes = 0;       // all pictures together
        qint64 mailBytes = 0;          // the whole mail as sent, attachments included (estimated)
        QString error;                 // set when the pages could not be made
    };

    // Renders on any thread (settings is the caller's copy). pageReady gets each page as
    // it is made; cancelled is asked after each page.
    static Result render(const ConfigSettings &settings, const Input &input,
                         const std::function<void(int page, const QByteArray &jpeg)> &pageReady = {},
                         const std::function<bool()> &cancelled = {});

    // The size of `bytes` in base64 as the mail writes it (76 characters and CR LF a line).
    static qint64 base64Size(qint64 bytes);
    // "3 pages, pictures 120 KB; the mail with its attachments about 180 KB".
    static QString summary(const Result &result);
    static QString sizeText(qint64 bytes);
};
