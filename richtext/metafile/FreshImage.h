#pragma once

#include <QImage>
#include <QSize>

// A new image for a picture to be drawn on, cleared to transparent. A large image's
// memory comes fresh from the kernel: touched page by page by the clearing, every page
// costs a fault, which in a virtual machine takes longer than drawing most pictures, and
// clearing memory the kernel has just zeroed writes it twice. The pixels here are mapped
// zeroed in one call, zero being transparent.
class FreshImage
{
public:
    // A null image when the memory cannot be had.
    static QImage transparent(const QSize &size);
};
