#include "picture/HtmlBody.h"

#include "product/VendorLinks.h"

namespace HtmlBody {

namespace {

// Hidden in every mail program that follows CSS (display), and in the Word-based ones
// that do not (mso-hide); the height and overflow cover programs that drop "display".
const char *const kHiddenStyle = "display:none;max-height:0;overflow:hidden;mso-hide:all";

void addHead(std::vector<std::string> &out, const Content &content)
{
    out.emplace_back("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">");
    out.emplace_back("<HTML><HEAD>");
    out.emplace_back("<META content=\"text/html; charset=iso-8859-1\" http-equiv=Content-Type>");
    out.emplace_back("<META content=\"MSHTML 5.00.2920.0\" name=GENERATOR></HEAD>");
    out.emplace_back("<BODY>");
    if (!content.hiddenLines.isEmpty() && content.textBelow.empty()) {
        // Real text that filters count and inbox lists show under the subject, never on screen.
        out.push_back(std::string("<div style=\"") + kHiddenStyle + "\">");
        const qsizetype last = content.hiddenLines.size() - 1;
        for (qsizetype i = 0; i <= last; ++i)
            out.push_back(escaped(content.hiddenLines.at(i)) + (i < last ? "<br>" : ""));
        out.emplace_back("</div>");
    }
    out.emplace_back("<TABLE border=0 cellPadding=0 cellSpacing=0 width=\"100%\">");
    out.emplace_back("<TBODY>");
}

void addFoot(std::vector<std::string> &out, const Content &content)
{
    const std::string home = VendorLinks::HomePage;
    out.emplace_back("</TBODY></TABLE>");
    if (!content.textBelow.empty()) {
        // Real text under the pictures for readers that do not see them; quiet beside them.
        out.emplace_back("<hr style=\"border:0;border-top:1px solid #cccccc;margin:16px 0 8px 0\">");
        out.emplace_back("<div style=\"color:#666666;font-size:13px;font-family:Arial,Helvetica,sans-serif\">");
        out.insert(out.end(), content.textBelow.begin(), content.textBelow.end());
        out.emplace_back("</div>");
    }
    if (!content.footerLink) {
        out.emplace_back("</BODY></HTML>");
        return;
    }
    out.emplace_back("<font size=\"2\" face=\"Arial, Helvetica, sans-serif\"><br>");
    out.emplace_back("<a href=\"" + home + "\">Composed by Vellorn Composer 5.0</a> </font> </BODY></HTML>");
}

// One picture row and its map: the link area is the picture's top right corner. The
// picture keeps its own width and shrinks to a narrower screen, keeping its proportions.
void addRow(std::vector<std::string> &out, int page, const Content &content, const std::string &x1,
            const std::string &x2)
{
    const std::string n = std::to_string(page);
    const size_t index = static_cast<size_t>(page - 1);
    const std::string alt = index < content.altTexts.size() ? escaped(content.altTexts[index]) : std::string();
    const std::string width = content.pictureWidth > 0 ? " width=" + std::to_string(content.pictureWidth) : "";
    const std::string cid = index < content.contentIds.size() ? content.contentIds[index] : n + ".jpg";
    out.push_back("<TR><TD><IMG alt=\"" + alt + "\" border=0 hspace=0 src=\"cid:" + cid + "\"" + width
                  + " style=\"max-width:100%;height:auto\">");
    if (content.footerLink)
        out.push_back("<map name=\"Map" + n + "\"><area shape=\"rect\" coords=\"" + x1 + ",1," + x2
                      + ",30\" href=\"" + VendorLinks::HomePage + "\"></map>");
    out.emplace_back("</TD></TR><TR>");
}

bool build(int pageCount, const Content &content, std::vector<std::string> &out,
           const std::function<bool()> &cancelled)
{
    // 64-bit so that a hand-edited width near the int limits cannot overflow.
    const long long left = static_cast<long long>(content.pictureWidth) - 160;
    const std::string x1 = left > 0 ? std::to_string(left) : std::string("1");
    const std::string x2 = std::to_string(static_cast<long long>(content.pictureWidth) - 10);
    addHead(out, content);
    for (int n = 1; n <= pageCount; ++n) {
        if (cancelled && cancelled())
            return false;
        addRow(out, n, content, x1, x2);
    }
    addFoot(out, content);
    return true;
}

} // namespace

std::string escaped(const QString &text)
{
    std::string out;
    out.reserve(static_cast<size_t>(text.size()) + 16);
    for (const uint c : text.toUcs4()) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            if (c < 0x20 || c == 0x7F)
                out += ' ';
            else if (c < 0x80)
                out += static_cast<char>(c);
            else
                out += "&#" + std::to_string(static_cast<unsigned long>(c)) + ";";
        }
    }
    return out;
}

std::vector<std::string> lines(int pageCount, const Content &content)
{
    std::vector<std::string> out;
    build(pageCount, content, out, {});
    return out;
}

bool text(int pageCount, const Content &content, std::string &out, const std::function<bool()> &cancelled)
{
    std::vector<std::string> list;
    if (!build(pageCount, content, list, cancelled))
        return false;
    std::string result;
    for (const std::string &line : list) {
        result += line;
        result += "\r\n";
    }
    out = std::move(result);
    return true;
}

} // namespace HtmlBody
