#include "richtext/reading/RtfTextDecoder.h"

#include "richtext/reading/SymbolCharacters.h"

#include <QByteArray>

namespace {

// Code pages whose characters take more than one byte: decoded by the converter as a whole.
bool isMultiByte(int codePage)
{
    switch (codePage) {
    case 932: case 936: case 949: case 950: case 1361: case 54936: case 65001:
    case 10001: case 10002: case 10003: case 10008:
        return true;
    default:
        return false;
    }
}

} // namespace

QByteArray RtfTextDecoder::encodingName(int codePage)
{
    switch (codePage) {
    case 437:
        return "IBM437";
    case 850:
        return "IBM850";
    case 10000:
        return "macintosh";
    // The Mac's Far East code pages are their Windows counterparts with a few symbols
    // moved; where no Mac converter exists the nearest Windows one reads the letters.
    case 10001:
        return "windows-932";
    case 10002:
        return "windows-950";
    case 10003:
        return "windows-949";
    case 10008:
        return "windows-936";
    case 10004:
        return "windows-1256";
    case 10005:
        return "windows-1255";
    case 10021:
        return "windows-874";
    case 10006:
        return "x-mac-greek";
    case 10007:
        return "x-mac-cyrillic";
    case 10029:
        return "x-mac-centraleurroman";
    case 10081:
        return "x-mac-turkish";
    case 54936:
        return "GB18030";
    case 65001:
        return "UTF-8";
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
    case 78: return 10001;
    case 79: return 10003;
    case 80: return 10008;
    case 81: return 10002;
    case 83: return 10005;
    case 84: return 10004;
    case 85: return 10006;
    case 86: return 10081;
    case 87: return 10021;
    case 88: return 10029;
    case 89: return 10007;
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
    case 254: return 437;
    case 255: return 850;
    default: return ansiCodePage;
    }
}

int RtfTextDecoder::codePageOfFont(const QString &name, int charset, int codePage, int ansiCodePage)
{
    const SymbolCharacters::Face face = SymbolCharacters::faceOf(name);
    // Wingdings, Webdings and Symbol show their pictures whatever charset the table gives.
    if (charset == 2 || face != SymbolCharacters::Face::Symbol
        || name.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0) {
        if (face == SymbolCharacters::Face::Wingdings)
            return kWingdings;
        return face == SymbolCharacters::Face::Webdings ? kWebdings : kSymbol;
    }
    if (codePage > 0 && isSupported(codePage))
        return codePage;
    return codePageOfCharset(charset < 0 ? 1 : charset, ansiCodePage);
}

bool RtfTextDecoder::isSupported(int codePage)
{
    if (codePage == kSymbol || codePage == kWingdings || codePage == kWebdings)
        return true;
    if (codePage <= 0 || codePage > 65535)
        return false;
    return QStringDecoder(encodingName(codePage).constData()).isValid();
}

const RtfTextDecoder::SingleByte *RtfTextDecoder::singleByte(int codePage)
{
    if (m_lastTable && codePage == m_lastCodePage)
        return m_lastTable;
    m_lastCodePage = codePage;
    m_lastTable = singleByteTable(codePage);
    return m_lastTable;
}

const RtfTextDecoder::SingleByte *RtfTextDecoder::singleByteTable(int codePage)
{
    auto it = m_singleTables.find(codePage);
    if (it != m_singleTables.end())
        return it->second.get();
    auto table = std::make_unique<SingleByte>();
    for (int i = 0; i < 128; ++i)
        table->table[i] = static_cast<char16_t>(i);
    if (codePage == kSymbol || codePage == kWingdings || codePage == kWebdings) {
        const SymbolCharacters::Face face = symbolFace(codePage);
        for (int i = 0x20; i < 256; ++i) {
            const char16_t c = SymbolCharacters::character(face, static_cast<uint8_t>(i));
            table->table[i] = c ? c : static_cast<char16_t>(0xF000 + i); // the font's private-use position
        }
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
    m_singleTables.emplace(codePage, std::move(table));
    return result;
}

QStringDecoder *RtfTextDecoder::multiByte(int codePage)
{
    auto it = m_multiDecoders.find(codePage);
    if (it != m_multiDecoders.end())
        return it->second.get();
    auto decoder = std::make_unique<QStringDecoder>(encodingName(codePage).constData(), QStringDecoder::Flag::Stateless);
    if (!decoder->isValid())
        decoder.reset();
    QStringDecoder *result = decoder.get();
    m_multiDecoders.emplace(codePage, std::move(decoder));
    return result;
}

void RtfTextDecoder::decode(std::string_view bytes, int codePage, QString &out)
{
    if (bytes.empty())
        return;
    if (isMultiByte(codePage)) {
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

SymbolCharacters::Face RtfTextDecoder::symbolFace(int codePage)
{
    if (codePage == kWingdings)
        return SymbolCharacters::Face::Wingdings;
    if (codePage == kWebdings)
        return SymbolCharacters::Face::Webdings;
    return SymbolCharacters::Face::Symbol;
}
