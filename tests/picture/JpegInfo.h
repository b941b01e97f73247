#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <string_view>

// A JPEG decoded again with libjpeg, for checking what the encoder wrote.
struct JpegInfo
{
    bool ok = false;
    QString error;
    int width = 0;
    int height = 0;
    int components = 0;
    bool progressive = false;
    bool arithmetic = false;
    bool baselineMarker = false; // an SOF0 marker (FF C0) before the scan
    std::array<int, 64> luminance{};   // quantisation table 0, natural order
    std::array<int, 64> chrominance{}; // table 1
    QImage pixels;                     // RGB888

    static JpegInfo decode(std::string_view bytes);
    // The tables libjpeg writes for a quality (standard tables scaled, baseline-limited).
    static std::array<int, 64> expectedTable(int quality, bool chroma);
};
