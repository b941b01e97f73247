#include "composer/CaretFormat.h"

#include "composer/ActiveAttributes.h"
#include "composer/AlignmentTag.h"
#include "composer/ParagraphFormat.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <cmath>

namespace CaretFormat {

namespace {

struct CharFacts
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int points = 0;
    QString face;
};

CharFacts factsOf(const QTextCharFormat &f, const QFont &defaultFont)
{
    CharFacts c;
    c.bold = f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() >= QFont::DemiBold : defaultFont.bold();
    c.italic = f.fontItalic();
    c.underline = f.fontUnderline() || f.underlineStyle() != QTextCharFormat::NoUnderline;
    // Pasted HTML may give pixel sizes: 96 to the inch, 72 points.
    double points = 0;
    if (f.hasProperty(QTextFormat::FontPointSize))
        points = f.fontPointSize();
    else if (f.hasProperty(QTextFormat::FontPixelSize))
        points = f.intProperty(QTextFormat::FontPixelSize) * 0.75;
    else if (defaultFont.pointSizeF() > 0)
        points = defaultFont.pointSizeF();
    else
        points = defaultFont.pixelSize() * 0.75;
    c.points = int(std::lround(points));
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty())
        c.face = families.constFirst();
    if (c.face.isEmpty())
        c.face = f.stringProperty(QTextFormat::FontFamily);
    if (c.face.isEmpty())
        c.face = defaultFont.family();
    return c;
}

// Folds the facts of every selected text fragment: styles that all share, and the face
// and size when all agree.
CharFacts selectionFacts(const QTextCursor &cursor, const QFont &defaultFont)
{
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    const QTextDocument *doc = cursor.document();
    bool first = true;
    CharFacts all;
    for (QTextBlock block = doc->findBlock(start); block.isValid() && block.position() < end; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() + fragment.length() <= start || fragment.position() >= end)
                continue;
            const QTextCharFormat f = fragment.charFormat();
            if (f.isImageFormat())
                continue;
            const CharFacts c = factsOf(f, defaultFont);
            if (first) {
                all = c;
                first = false;
                continue;
            }
            all.bold = all.bold && c.bold;
            all.italic = all.italic && c.italic;
            all.underline = all.underline && c.underline;
            if (all.points != c.points)
                all.points = 0;
            if (all.face != c.face)
                all.face.clear();
        }
    }
    if (first) // only pictures or paragraph ends: the format at the caret
        return factsOf(cursor.charFormat(), defaultFont);
    return all;
}

} // namespace

ToolBarState read(const QTextCursor &cursor)
{
    ToolBarState s;
    const QTextDocument *doc = cursor.document();
    if (!doc)
        return s;
    const QFont defaultFont = doc->defaultFont();
    const CharFacts c = cursor.hasSelection() ? selectionFacts(cursor, defaultFont)
                                              : factsOf(cursor.charFormat(), defaultFont);
    s.bold = c.bold;
    s.italic = c.italic;
    s.underline = c.underline;
    s.fontSize = c.points;
    s.fontName = c.face;
    s.bullets = ParagraphFormat::isBulletParagraph(cursor);
    s.numbering = int(ParagraphFormat::numberingOf(cursor));
    s.alignment = AlignmentTag::of(cursor.blockFormat().alignment());
    return s;
}

int firstSize(const QTextCursor &cursor)
{
    const QTextDocument *doc = cursor.document();
    if (!doc)
        return 0;
    QTextCursor copy(cursor);
    return factsOf(ActiveAttributes(copy).format(), doc->defaultFont()).points;
}

} // namespace CaretFormat
