#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

// The HTML page of a picture mail: the page pictures one under the other (each shown at
// the page's size, however many pixels its picture has), each
// followed by an image map to the maker's home page, and a credit line (both only with
// the credit link on). Each picture
// carries its page's text as alt text, and a hidden block before the pictures carries the
// letter's text, so that filters, inbox lines and screen readers find the words.
namespace HtmlBody {

struct Content
{
    // The pictures' width in pixels (the map coordinates and the width they show at).
    int pictureWidth = 600;
    // The text of each page, in page order; a page without one gets alt="".
    std::vector<QString> altTexts;
    // The letter's text lines for the hidden block; none, no block.
    QStringList hiddenLines;
    // The credit line with its link at the end, and the image maps to the home page;
    // without it the page names the maker's address nowhere.
    bool footerLink = true;
    // The Content-ID of each page's picture, in page order, without angle brackets; a
    // page without one refers to "{n}.jpg".
    std::vector<std::string> contentIds;
    // The letter as visible HTML (LetterHtml) in small grey type under a rule after the
    // pictures; with it, the hidden block is left out (its words are on the page).
    std::vector<std::string> textBelow;
};

// The lines without line ends: the head lines (with the hidden block, when there is
// text), three per picture (two without the credit link), the foot lines.
std::vector<std::string> lines(int pageCount, const Content &content);

// The body text: every line followed by CR LF. `cancelled` is asked before each
// picture row; when it answers true the text is not made and false comes back.
bool text(int pageCount, const Content &content, std::string &out, const std::function<bool()> &cancelled = {});

// Text as HTML in ASCII: markup characters as entities, every character beyond ASCII
// as a numeric reference (so the page stays true to the charset its head names), control
// characters as blanks.
std::string escaped(const QString &text);

} // namespace HtmlBody
