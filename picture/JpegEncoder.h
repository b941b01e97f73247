#pragma once

#include <QImage>
#include <memory>
#include <string_view>

// JPEG compression into memory through libjpeg. One encoder object and one output buffer
// serve any number of pictures: compress() reuses both.
class JpegEncoder
{
public:
    // How the coefficients are written; the decoded pixels are the same in every case.
    enum class Coding {
        Standard,    // baseline with libjpeg's standard Huffman tables
        Optimized,   // baseline with tables made for the picture (a few per cent smaller)
        Progressive, // progressive scans, optimized tables (about a tenth smaller)
    };

    JpegEncoder();
    ~JpegEncoder();
    JpegEncoder(const JpegEncoder &) = delete;
    JpegEncoder &operator=(const JpegEncoder &) = delete;

    // Compresses the image (any format; RGB32 goes in without a conversion) as a JPEG of
    // the given quality (libjpeg clamps it to 1..100); a picture whose device pixel ratio is
    // above 1 is marked with 96 dpi times that ratio. The bytes stay valid until the next
    // call. Throws AppError when the image is empty or too large for JPEG, or when libjpeg
    // reports an error.
    std::string_view compress(const QImage &image, int quality, Coding coding = Coding::Optimized);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
