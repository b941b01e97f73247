#include "HtmlBody.h"

#include "VendorLinks.h"

namespace HtmlBody {

namespace {

void addHead(std::vector<std::string> &out)
{
    out.emplace_back("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">");
    out.emplace_back("<HTML><HEAD>");
    out.emplace_back("<META content=\"text/html; charset=iso-8859-1\" http-equiv=Content-Type>");
    out.emplace_back("<META content=\"MSHTML 5.00.2920.0\" name=GENERATOR></HEAD>");
    out.emplace_back("<BODY>");
    out.emplace_back("<TABLE border=0 cellPadding=0 cellSpacing=0 width=\"100%\">");
    out.emplace_back("<TBODY>");
}

void addFoot(std::vector<std::string> &out)
{
    const std::string home = VendorLinks::HomePage;
    out.emplace_back("</TBODY></TABLE>");
    out.emplace_back("<font size=\"2\" face=\"Arial, Helvetica, sans-serif\"><br>");
    out.emplace_back("<a href=\"" + home + "\">Composed by Vellorn Composer 5.0</a> </font> </BODY></HTML>");
}

// One picture row and its map: the link area is the picture's top right corner.
void addRow(std::vector<std::string> &out, int page, const std::string &x1, const std::string &x2)
{
    const std::string n = std::to_string(page);
    out.push_back("<TR><TD><IMG alt=\"\" border=0 hspace=0 src=\"cid:" + n + ".jpg\">");
    out.push_back("<map name=\"Map" + n + "\"><area shape=\"rect\" coords=\"" + x1 + ",1," + x2
                  + ",30\" href=\"" + VendorLinks::HomePage + "\"></map>");
    out.emplace_back("</TD></TR><TR>");
}

bool build(int pageCount, int pictureWidth, std::vector<std::string> &out, const std::function<bool()> &cancelled)
{
    // 64-bit so that a hand-edited width near the int limits cannot overflow.
    const long long left = static_cast<long long>(pictureWidth) - 160;
    const std::string x1 = left > 0 ? std::to_string(left) : std::string("1");
    const std::string x2 = std::to_string(static_cast<long long>(pictureWidth) - 10);
    addHead(out);
    for (int n = 1; n <= pageCount; ++n) {
        if (cancelled && cancelled())
            return false;
        addRow(out, n, x1, x2);
    }
    addFoot(out);
    return true;
}

} // namespace

std::vector<std::string> lines(int pageCount, int pictureWidth)
{
    std::vector<std::string> out;
    build(pageCount, pictureWidth, out, {});
    return out;
}

bool text(int pageCount, int pictureWidth, std::string &out, const std::function<bool()> &cancelled)
{
    std::vector<std::string> list;
    if (!build(pageCount, pictureWidth, list, cancelled))
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
