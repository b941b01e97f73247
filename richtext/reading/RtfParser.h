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
    RtfGroupState &state() { return stack_.back(); }

    void pushGroup();
    void popGroup();
    void onText(std::string_view text);
    void onByte(uint8_t byte);
    void onWord(const RtfTokenizer::Token &token);
    void onSymbol(char symbol);
    void onBinary(std::string_view bytes);

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
    // Empties paragraph_ for the next one, keeping the room its text and runs had.
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

    RtfFormatFactory formats_;
    RtfDocumentBuilder builder_;
    RtfTextDecoder decoder_;
    RtfPictureReader picture_;
    qint64 pictureBudget_ = RtfPictureReader::kMaxDocumentPixels; // decoded pixels still allowed

    std::vector<RtfGroupState> stack_;
    size_t overflow_ = 0;
    bool ignorable_ = false;        // \* seen
    int skipUnits_ = 0;             // fallback units after \u still to skip
    char16_t highSurrogate_ = 0;
    int defaultFont_ = -1;

    // Current run and paragraph.
    RtfCharProps runProps_;
    int runCodePage_ = 1252;
    bool runOpen_ = false;
    qsizetype runStart_ = 0;        // where the open run's text starts in paragraph_.text
    std::string runBytes_;          // bytes of the open run not yet decoded
    RtfParagraph paragraph_;        // its text and runs are reused from one paragraph to the next
    bool pageBreakPending_ = false;
    int listTextBegin_ = -1;        // runs of paragraph_ read from \listtext
    int listTextEnd_ = -1;

    // Word lists.
    RtfListTable lists_;
    QString levelText_;             // \leveltext read, bytes not yet decoded
    std::string levelBytes_;

    // Footnotes: their paragraphs are kept apart and placed after the letter.
    static constexpr size_t kMaxNoteParagraphs = 10000;
    std::vector<RtfParagraph> notes_;
    RtfParagraph bodyParagraph_;    // the body paragraph the footnote interrupts
    int bodyListTextBegin_ = -1;
    int bodyListTextEnd_ = -1;
    int noteNumber_ = 0;

    // Destination text.
    std::string destinationBytes_;
    QString destinationText_;
    int fontId_ = -1;               // font table entry being read
    bool fontIdValid_ = false;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorGiven_ = false;
    int fieldLink_ = -1;

    // Table definitions per nesting depth.
    std::array<RtfRowDef, RtfDocumentBuilder::kMaxDepth + 1> rowDefs_;
    int defDepth_ = 1;
    RtfCellDef cellDef_;
    RtfBorder *border_ = nullptr;
    RtfBorder ignoredBorder_;
};
