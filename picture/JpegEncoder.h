#pragma once

#include <QImage>
#include <memory>
#include <string_view>

// Baseline JPEG compression into memory through libjpeg. One encoder object and one
// output buffer serve any number of pictures: compress() reuses both.
class JpegEncoder
{
public:
    JpegEncoder();
    ~JpegEncoder();
    JpegEncoder(const JpegEncoder &) = delete;
    JpegEncoder &operator=(const JpegEncoder &) = delete;

    // Compresses the image (any format; RGB32 goes in without a conversion) as a
    // baseline JPEG of the given quality (libjpeg clamps it to 1..100). The bytes stay
    // valid until the next call. Throws AppError when the image is empty or too large
    // for JPEG, or when libjpeg reports an error.
    std::string_view compress(const QImage &image, int quality);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
