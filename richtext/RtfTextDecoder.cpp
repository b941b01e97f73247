#include "RtfTextDecoder.h"

#include <QByteArray>

namespace {

bool isDoubleByte(int codePage)
{
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361;
}

// Adobe Symbol encoding, 0x20..0xFF (0 = no character).
const char16_t kSymbolTable[224] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B, 0x002C, 0x2212, 0x002E, 0x002F,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F,
    0xF8E5, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF,
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193,
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5,
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209,
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA,
    0, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0,
};

// The few Wingdings characters that letters use as bullets and marks.
char16_t wingdings(unsigned char b)
{
    switch (b) {
    case 0x6C: return 0x25CF; // black circle
    case 0x6E: return 0x25A0; // black square
    case 0x71: return 0x2751;
    case 0x75: return 0x25C6;
    case 0x76: return 0x2756;
    case 0xA7: return 0x25AA; // small black square
    case 0xA8: return 0x25FB;
    case 0x9F: return 0x2022;
    case 0xD8: return 0x27A2;
    case 0xE0: return 0x2192;
    case 0xFB: return 0x2717;
    case 0xFC: return 0x2713;
    case 0xFE: return 0x2611;
    default: return static_cast<char16_t>(0xF000 + b); // the font's private-use position
    }
}

} // namespace

QByteArray RtfTextDecoder::encodingName(int codePage)
{
    switch (codePage) {
    case 437:
        return "IBM437";
    case 10000:
        return "macintosh";
    default:
        return "windows-" + QByteArray::number(codePage);
    }
}

int RtfTextDecoder::codePageOfCharset(int charset, int ansiCodePage)
{
    switch (charset) {
    case 0: return 1252;
    case 2: return kSymbol;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return ansiCodePage;
    }
}

bool RtfTextDecoder::isSupported(int codePage)
{
    if (codePage == kSymbol || codePage == kWingdings)
        return true;
    if (codePage <= 0 || codePage > 65535)
        return false;
    return QStringDecoder(encodingName(codePage).constData()).isValid();
}

const RtfTextDecoder::SingleByte *RtfTextDecoder::singleByte(int codePage)
{
    if (lastTable_ && codePage == lastCodePage_)
        return lastTable_;
    lastCodePage_ = codePage;
    lastTable_ = singleByteTable(codePage);
    return lastTable_;
}

const RtfTextDecoder::SingleByte *RtfTextDecoder::singleByteTable(int codePage)
{
    auto it = singleTables_.find(codePage);
    if (it != singleTables_.end())
        return it->second.get();
    auto table = std::make_unique<SingleByte>();
    for (int i = 0; i < 128; ++i)
        table->table[i] = static_cast<char16_t>(i);
    if (codePage == kSymbol) {
        for (int i = 0x20; i < 256; ++i)
            table->table[i] = kSymbolTable[i - 0x20] ? kSymbolTable[i - 0x20] : static_cast<char16_t>(0xF000 + i);
    } else if (codePage == kWingdings) {
        for (int i = 0x20; i < 256; ++i)
            table->table[i] = wingdings(static_cast<unsigned char>(i));
    } else {
        QStringDecoder decoder(encodingName(codePage).constData(), QStringDecoder::Flag::Stateless);
        if (!decoder.isValid())
            decoder = QStringDecoder("windows-1252", QStringDecoder::Flag::Stateless);
        for (int i = 128; i < 256; ++i) {
            const char byte = static_cast<char>(i);
            const QString s = decoder.decode(QByteArrayView(&byte, 1));
            table->table[i] = s.size() == 1 ? s.at(0).unicode() : u'\uFFFD';
        }
    }
    const SingleByte *result = table.get();
    singleTables_.emplace(codePage, std::move(table));
    return result;
}

QStringDecoder *RtfTextDecoder::multiByte(int codePage)
{
    auto it = multiDecoders_.find(codePage);
    if (it != multiDecoders_.end())
        return it->second.get();
    auto decoder = std::make_unique<QStringDecoder>(encodingName(codePage).constData(), QStringDecoder::Flag::Stateless);
    if (!decoder->isValid())
        decoder.reset();
    QStringDecoder *result = decoder.get();
    multiDecoders_.emplace(codePage, std::move(decoder));
    return result;
}

void RtfTextDecoder::decode(std::string_view bytes, int codePage, QString &out)
{
    if (bytes.empty())
        return;
    if (isDoubleByte(codePage)) {
        if (QStringDecoder *decoder = multiByte(codePage)) {
            out += decoder->decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
            return;
        }
        codePage = 1252;
    }
    const SingleByte *table = singleByte(codePage);
    const qsizetype start = out.size();
    out.resize(start + static_cast<qsizetype>(bytes.size()));
    QChar *dst = out.data() + start;
    for (const char c : bytes)
        *dst++ = QChar(table->table[static_cast<unsigned char>(c)]);
}
