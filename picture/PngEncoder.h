#pragma once

#include <QImage>
#include <string>

// Writes a palette picture (Format_Indexed8) as a PNG, at the fewest bits a pixel its colour
// table needs (1, 2, 4 or 8), unfiltered, deflated by libdeflate (faster than zlib at the
// same size; thread-safe: each thread keeps its own compressor). A picture whose
// device pixel ratio is above 1 says so in its pHYs chunk (192 dpi at 2), so that viewers
// and the PDF show it at the size of the page it stands for. The same picture gives the
// same bytes every time.
namespace PngEncoder {

// Throws AppError when the picture is not Indexed8 with 1 to 256 colours, or deflating fails.
std::string compress(const QImage &indexed);

} // namespace PngEncoder
