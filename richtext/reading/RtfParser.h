#pragma once

#include "richtext/reading/RtfContent.h"
#include "richtext/reading/RtfDocumentBuilder.h"
#include "richtext/reading/RtfFormatFactory.h"
#include "richtext/reading/RtfGroupState.h"
#include "richtext/reading/RtfKeyword.h"
#include "richtext/reading/RtfListTable.h"
#include "richtext/reading/RtfPictureReader.h"
#include "richtext/reading/RtfTextDecoder.h"
#include "richtext/reading/RtfTokenizer.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

class QTextDocument;

// The state machine of the RTF reader: follows the groups with a stack (no recursion;
// groups deeper than kMaxGroupDepth share the innermost kept state), collects text in
// runs of equal format and hands paragraphs and table cells to the document builder.
class RtfParser
{
public:
    static constexpr size_t kMaxGroupDepth = 1000;

    explicit RtfParser(QTextDocument *doc);
    void parse(std::string_view bytes);

private:
    RtfGroupState &state() { return m_stack.back(); }

    void pushGroup();
    void popGroup();
    void onText(std::string_view text);
    void onByte(uint8_t byte);
    void onWord(const RtfTokenizer::Token &token);
    void onSymbol(char symbol);
    void onBinary(std::string_view bytes);

    // One handler per RtfWordFamily.
    void onDocumentWord(RtfKeyword k, int p);
    void onCharacterWord(RtfKeyword k, bool has, int p);
    void onParagraphWord(RtfKeyword k, bool has, int p);
    void onTableWord(RtfKeyword k, int p);
    void onPictureWord(RtfKeyword k, int p);
    void onDestinationWord(RtfKeyword k);
    bool onListWord(RtfKeyword k, int p);

    // Body text.
    bool acceptsText();
    void ensureRun();
    void flushBytes();
    void flushRun();
    void appendChar(char32_t c);
    void appendUnicode(int value);
    char32_t fromPrivateUse(char32_t c, int fontId) const;
    void appendFootnoteMark();
    void beginFootnote();
    void endFootnote(const RtfGroupState &noteState);
    // Resolves the paragraph's Word list and drops its \listtext label when it is a list item.
    void finishParagraph(RtfParagraph &p);
    // Empties m_paragraph for the next one, keeping the room its text and runs had.
    void resetParagraph();
    void endParagraph();
    void endCell(int depth);
    int paragraphDepth();

    // Destinations that collect text (font names, \pntxtb, field instructions).
    void appendDestinationChar(char32_t c);
    QString takeDestinationText(int codePage);
    void finishFont();
    void finishPicture(const RtfGroupState &pictureState);
    void finishFieldInstruction();
    void finishListLevel(const RtfGroupState &levelState);

    RtfFormatFactory m_formats;
    RtfDocumentBuilder m_builder;
    RtfTextDecoder m_decoder;
    RtfPictureReader m_picture;
    qint64 m_pictureBudget = RtfPictureReader::kMaxDocumentPixels; // decoded pixels still allowed

    std::vector<RtfGroupState> m_stack;
    size_t m_overflow = 0;
    bool m_ignorable = false;        // \* seen
    int m_skipUnits = 0;             // fallback units after \u still to skip
    char16_t m_highSurrogate = 0;
    int m_defaultFont = -1;

    // Current run and paragraph.
    RtfCharProps m_runProps;
    int m_runCodePage = 1252;
    bool m_runOpen = false;
    qsizetype m_runStart = 0;        // where the open run's text starts in m_paragraph.text
    std::string m_runBytes;          // bytes of the open run not yet decoded
    RtfParagraph m_paragraph;        // its text and runs are reused from one paragraph to the next
    bool m_pageBreakPending = false;
    int m_listTextBegin = -1;        // runs of m_paragraph read from \listtext
    int m_listTextEnd = -1;

    // Word lists.
    RtfListTable m_lists;
    QString m_levelText;             // \leveltext read, bytes not yet decoded
    std::string m_levelBytes;

    // Footnotes: their paragraphs are kept apart and placed after the letter.
    static constexpr size_t kMaxNoteParagraphs = 10000;
    std::vector<RtfParagraph> m_notes;
    RtfParagraph m_bodyParagraph;    // the body paragraph the footnote interrupts
    int m_bodyListTextBegin = -1;
    int m_bodyListTextEnd = -1;
    int m_noteNumber = 0;

    // Destination text.
    std::string m_destinationBytes;
    QString m_destinationText;
    int m_fontId = -1;               // font table entry being read
    bool m_fontIdValid = false;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorGiven = false;
    int m_fieldLink = -1;

    // Table definitions per nesting depth.
    std::array<RtfRowDef, RtfDocumentBuilder::kMaxDepth + 1> m_rowDefs;
    int m_defDepth = 1;
    RtfCellDef m_cellDef;
    RtfBorder *m_border = nullptr;
    RtfBorder m_ignoredBorder;
};
