#pragma once

#include <string>
#include <string_view>

// Base64 decoding of a text given in pieces: the bytes come out the same wherever the
// text is cut, so a large body can be decoded a stretch at a time without holding its
// bytes whole. Base64DecodeText and Base64DecodeLine are this decoder fed once.
//
// Bytes outside the alphabet (line breaks included) are skipped, so a group of four may
// run across a line break and across a cut. "=" marks padding. A last group of two or
// three characters without its padding reads as if padded; a single one is dropped.
class Base64Decoder
{
public:
    // With `stopAtPadding` the first group that carries padding ends the data (a body);
    // without, decoding goes on after it (a line, an encoded word).
    explicit Base64Decoder(bool stopAtPadding = true) : m_stopAtPadding(stopAtPadding) {}

    // Appends to `dest` the bytes of every group that `piece` completes; a group left
    // open waits for the next piece.
    void Feed(std::string_view piece, std::string &dest);
    // Appends the bytes of a last group left open, and starts over for a new text.
    void Finish(std::string &dest)
    {
        if (m_count > 0)
            writeOpenGroup(dest);
        m_count = 0;
        m_ended = false;
    }
    // True once a group with padding has ended the data: what follows is not decoded.
    bool Ended() const { return m_ended; }

private:
    void writeOpenGroup(std::string &dest) const;

    unsigned char m_group[4] = {}; // members of the open group, as alphabet values or padding
    int m_count = 0;
    bool m_stopAtPadding;
    bool m_ended = false;
};

// Bytes of one base64 line (any length); bytes outside the alphabet are skipped,
// "=" marks padding; a last group of two or three characters without its padding
// reads as if padded, a single last character is dropped.
std::string Base64DecodeLine(std::string_view line);
// The same, appending to `dest`.
void Base64DecodeLineAppend(std::string_view line, std::string &dest);
// Clears dest and decodes a whole base64 body as one stream: bytes outside the alphabet
// (line breaks included) are skipped, the first group that carries padding ends the
// data (what follows it, such as a footer appended on the way, is not decoded), and a
// last group without its padding reads as Base64DecodeLine reads it. Base64Decoder
// decodes a body given in pieces the same way.
void Base64DecodeText(std::string_view text, std::string &dest);
