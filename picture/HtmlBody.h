#pragma once

#include <functional>
#include <string>
#include <vector>

// The HTML page of a picture mail: the page pictures one under the other, each
// followed by an image map to the maker's home page, and a credit line.
namespace HtmlBody {

// The lines without line ends: seven head lines, three per picture, three foot lines.
std::vector<std::string> lines(int pageCount, int pictureWidth);

// The body text: every line followed by CR LF. `cancelled` is asked before each
// picture row; when it answers true the text is not made and false comes back.
bool text(int pageCount, int pictureWidth, std::string &out,
          const std::function<bool()> &cancelled = {});

} // namespace HtmlBody
