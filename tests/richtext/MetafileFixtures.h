#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QRect>
#include <QString>
#include <cstdint>
#include <cstring>

// Small EMF and WMF byte streams written record by record, for the metafile tests.
namespace MetafileFixtures {

inline QByteArray le16(int v)
{
    return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF);
}

inline QByteArray le32(int64_t v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}

inline QByteArray f32(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return le32(bits);
}

inline QByteArray colorRef(const QColor &c)
{
    return QByteArray(1, char(c.red())) + char(c.green()) + char(c.blue()) + char(0);
}

inline QByteArray rectL(int l, int t, int r, int b)
{
    return le32(l) + le32(t) + le32(r) + le32(b);
}

// A bottom-up 24-bit DIB of one colour (BITMAPINFOHEADER and bits).
inline QByteArray dib(int w, int h, const QColor &c, QByteArray *bitsOnly = nullptr)
{
    const QByteArray header = le32(40) + le32(w) + le32(h) + le16(1) + le16(24) + QByteArray(24, '\0');
    QByteArray row;
    for (int x = 0; x < w; ++x)
        row += QByteArray(1, char(c.blue())) + char(c.green()) + char(c.red());
    while (row.size() % 4)
        row += '\0';
    const QByteArray bits = row.repeated(h);
    if (bitsOnly) {
        *bitsOnly = bits;
        return header;
    }
    return header + bits;
}

// A bottom-up DIB of `bits` bits per pixel whose palette holds the given colours and names
// `used` of them, every byte of its pixels `fill` (header and palette; the bits apart).
inline QByteArray indexedDib(int w, int h, int bits, const QList<QColor> &palette, int used, char fill, QByteArray *bitsOut)
{
    const int stride = (w * bits + 31) / 32 * 4;
    *bitsOut = QByteArray(stride * h, fill);
    QByteArray out = le32(40) + le32(w) + le32(h) + le16(1) + le16(bits) + le32(0) + le32(bitsOut->size()) + le32(0) + le32(0)
                     + le32(used) + le32(0);
    for (const QColor &c : palette)
        out += QByteArray(1, char(c.blue())) + char(c.green()) + char(c.red()) + char(0);
    return out;
}

// An enhanced metafile: a header whose frame is given in 0.01 mm on a reference device of
// 96 dots per inch, then the records, then EOF.
class Emf
{
public:
    explicit Emf(const QRect &frame = QRect(0, 0, 2540, 2540), int handles = 16)
        : frame_(frame)
        , handles_(handles)
    {
    }

    Emf &record(uint32_t type, const QByteArray &params = QByteArray())
    {
        QByteArray p = params;
        while (p.size() % 4)
            p += '\0';
        records_ += le32(type) + le32(8 + p.size()) + p;
        ++count_;
        return *this;
    }

    QByteArray bytes() const
    {
        QByteArray header = le32(1) + le32(88) + rectL(0, 0, 95, 95)
            + rectL(frame_.left(), frame_.top(), frame_.right(), frame_.bottom()) + le32(0x464D4520) + le32(0x10000);
        const QByteArray eof = le32(14) + le32(20) + QByteArray(12, '\0');
        header += le32(88 + records_.size() + eof.size()) + le32(count_ + 2) + le16(handles_) + le16(0) + le32(0) + le32(0)
            + le32(0) + le32(960) + le32(960) + le32(254) + le32(254);
        return header + records_ + eof;
    }

    // The usual records.
    Emf &brush(int index, const QColor &c, int style = 0) { return record(39, le32(index) + le32(style) + colorRef(c) + le32(0)); }
    Emf &pen(int index, const QColor &c, int width = 0, int style = 0)
    {
        return record(38, le32(index) + le32(style) + le32(width) + le32(0) + colorRef(c));
    }
    Emf &select(uint32_t index) { return record(37, le32(index)); }
    Emf &rectangle(int l, int t, int r, int b) { return record(43, rectL(l, t, r, b)); }
    Emf &ellipse(int l, int t, int r, int b) { return record(42, rectL(l, t, r, b)); }
    Emf &polygon(const QList<QPoint> &points)
    {
        QByteArray p = rectL(0, 0, 96, 96) + le32(points.size());
        for (const QPoint &pt : points)
            p += le32(pt.x()) + le32(pt.y());
        return record(3, p);
    }
    // A block transfer without a bitmap (BLACKNESS, WHITENESS, PATCOPY, ...).
    Emf &bitBlt(const QRect &r, uint32_t rop)
    {
        return record(76, rectL(0, 0, 96, 96) + le32(r.x()) + le32(r.y()) + le32(r.width()) + le32(r.height()) + le32(rop)
                              + QByteArray(56, '\0'));
    }
    Emf &stretchDibits(const QRect &target, const QSize &source, const QByteArray &info, const QByteArray &bits)
    {
        return record(81, rectL(0, 0, 96, 96) + le32(target.x()) + le32(target.y()) + le32(0) + le32(0) + le32(source.width())
                              + le32(source.height()) + le32(80) + le32(info.size()) + le32(80 + info.size()) + le32(bits.size())
                              + le32(0) + le32(0x00CC0020) + le32(target.width()) + le32(target.height()) + info + bits);
    }
    Emf &dibPatternBrush(int index, const QByteArray &info, const QByteArray &bits)
    {
        return record(94, le32(index) + le32(0) + le32(32) + le32(info.size()) + le32(32 + info.size()) + le32(bits.size()) + info
                              + bits);
    }

private:
    QRect frame_;
    int handles_;
    QByteArray records_;
    int count_ = 0;
};

// A Windows metafile with a placeable header whose box is given in units of 1/inch inch.
class Wmf
{
public:
    explicit Wmf(const QRect &box = QRect(0, 0, 96, 96), int inch = 96, int objects = 8)
        : box_(box)
        , inch_(inch)
        , objects_(objects)
    {
    }

    Wmf &record(uint16_t function, const QList<int> &params, const QByteArray &tail = QByteArray())
    {
        QByteArray p;
        for (int v : params)
            p += le16(v);
        p += tail;
        if (p.size() % 2)
            p += '\0';
        records_ += le32((6 + p.size()) / 2) + le16(function) + p;
        return *this;
    }

    QByteArray bytes(bool placeable = true) const
    {
        QByteArray out;
        if (placeable)
            out += le32(0x9AC6CDD7) + le16(0) + le16(box_.left()) + le16(box_.top()) + le16(box_.right() + 1)
                + le16(box_.bottom() + 1) + le16(inch_) + le32(0) + le16(0);
        const QByteArray eof = le32(3) + le16(0);
        out += le16(1) + le16(9) + le16(0x300) + le32((18 + records_.size() + eof.size()) / 2) + le16(objects_) + le32(0)
            + le16(0);
        return out + records_ + eof;
    }

    Wmf &brush(const QColor &c) { return record(0x02FC, {0}, colorRef(c) + le16(0)); }
    Wmf &select(int index) { return record(0x012D, {index}); }
    Wmf &rectangle(int l, int t, int r, int b) { return record(0x041B, {b, r, t, l}); }
    Wmf &stretchDib(const QRect &target, const QSize &source, const QByteArray &packed)
    {
        return record(0x0F43, {0x0020, 0x00CC, 0, source.height(), source.width(), 0, 0, target.height(), target.width(),
                               target.y(), target.x()},
                      packed);
    }
    Wmf &dibPatternBrush(const QByteArray &packed) { return record(0x0142, {5, 0}, packed); }

private:
    QRect box_;
    int inch_;
    int objects_;
    QByteArray records_;
};

} // namespace MetafileFixtures
