#include "composer/LetterClipboard.h"

#include "composer/PastedPictures.h"
#include "richtext/LetterDocument.h"
#include "richtext/reading/RtfReader.h"

#include <QImage>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace LetterClipboard {

namespace {

QByteArray rtfData(const QMimeData *data)
{
    for (const char *type : kRtfTypes) {
        const QString name = QString::fromLatin1(type);
        if (data->hasFormat(name)) {
            const QByteArray bytes = data->data(name);
            // "text/richtext" also names enriched text, which is no RTF.
            if (RtfReader::isRtf(std::string_view(bytes.constData(), size_t(bytes.size()))))
                return bytes;
        }
    }
    return {};
}

// Windows' clipboard HTML starts with a description ("Version:0.9 StartHTML:...")
// before the markup; programs that pass it on unchanged leave it in front.
QString withoutDescription(const QString &html)
{
    if (!html.startsWith(QLatin1String("Version:")))
        return html;
    const qsizetype markup = html.indexOf(QLatin1Char('<'));
    return markup < 0 ? QString() : html.mid(markup);
}

} // namespace

bool canInsert(const QMimeData *data)
{
    return data && (!rtfData(data).isEmpty() || data->hasHtml() || data->hasImage() || data->hasText());
}

void insertRtf(QTextCursor &cursor, std::string_view rtf)
{
    QTextDocument pasted;
    LetterDocument::load(rtf, &pasted);
    PastedPictures::moveInto(pasted, cursor.document());
    cursor.insertFragment(QTextDocumentFragment(&pasted));
}

void insertHtml(QTextCursor &cursor, const QString &html)
{
    const QString taken = PastedPictures::takeIntoDocument(withoutDescription(html), cursor.document());
    cursor.insertFragment(QTextDocumentFragment::fromHtml(taken, cursor.document()));
}

bool insert(QTextCursor &cursor, const QMimeData *data)
{
    if (!canInsert(data))
        return false;
    cursor.beginEditBlock();
    const QByteArray rtf = rtfData(data);
    if (!rtf.isEmpty()) {
        insertRtf(cursor, std::string_view(rtf.constData(), size_t(rtf.size())));
    } else if (data->hasHtml()) {
        insertHtml(cursor, data->html());
    } else if (data->hasImage() && !qvariant_cast<QImage>(data->imageData()).isNull()) {
        QImage image = qvariant_cast<QImage>(data->imageData());
        if (image.width() > PastedPictures::kMaxSide || image.height() > PastedPictures::kMaxSide)
            image = image.scaled(PastedPictures::kMaxSide, PastedPictures::kMaxSide, Qt::KeepAspectRatio,
                                 Qt::SmoothTransformation);
        cursor.insertImage(PastedPictures::add(image, cursor.document()));
    } else {
        cursor.insertText(data->text());
    }
    cursor.endEditBlock();
    return true;
}

QByteArray rtfOf(const QTextCursor &selection)
{
    QTextDocument copy;
    copy.setDefaultFont(selection.document()->defaultFont());
    // Laid out as wide as the letter, a table whose columns size themselves is written
    // with the widths the letter shows.
    copy.setDocumentMargin(selection.document()->documentMargin());
    copy.setTextWidth(selection.document()->textWidth());
    QTextCursor(&copy).insertFragment(selection.selection());
    PastedPictures::copyResources(*selection.document(), copy);
    const std::string rtf = LetterDocument::save(copy);
    return QByteArray(rtf.data(), qsizetype(rtf.size()));
}

} // namespace LetterClipboard
