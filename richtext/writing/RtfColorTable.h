#pragma once

#include <QColor>
#include <vector>

class RtfOutput;

// The colours of a document being written; index 0 is the empty "automatic" entry.
class RtfColorTable
{
public:
    // 1-based index of the colour, added on first use.
    int indexOf(const QColor &color);
    // {\colortbl ;\red255\green0\blue0;}
    void write(RtfOutput &out) const;

private:
    std::vector<QRgb> m_colors;
};
