#include "picture/LetterHtml.h"

#include "picture/HtmlBody.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

namespace {

// A paragraph's text with its manual line breaks as <br>; pictures and other objects
// have no text.
std::string blockText(const QTextBlock &block)
{
    QString text = block.text();
    text.remove(QChar::ObjectReplacementCharacter);
    std::string out;
    const QStringList parts = text.split(QChar::LineSeparator);
    for (qsizetype i = 0; i < parts.size(); ++i)
        out += (i > 0 ? "<br>" : "") + HtmlBody::escaped(parts.at(i).trimmed());
    return out;
}

bool numbered(const QTextList *list)
{
    const QTextListFormat::Style style = list->format().style();
    return style == QTextListFormat::ListDecimal || style == QTextListFormat::ListLowerAlpha
           || style == QTextListFormat::ListUpperAlpha || style == QTextListFormat::ListLowerRoman
           || style == QTextListFormat::ListUpperRoman;
}

class Writer
{
public:
    std::vector<std::string> out;

    void frame(QTextFrame *frame)
    {
        for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame *child = it.currentFrame()) {
                closeList();
                if (auto *table = qobject_cast<QTextTable *>(child))
                    addTable(table);
                else
                    this->frame(child);
            } else {
                addBlock(it.currentBlock());
            }
        }
        closeList();
    }

private:
    const QTextList *m_list = nullptr;

    void closeList()
    {
        if (m_list)
            out.emplace_back(numbered(m_list) ? "</ol>" : "</ul>");
        m_list = nullptr;
    }

    void addBlock(const QTextBlock &block)
    {
        const std::string text = blockText(block);
        const QTextList *list = block.textList();
        if (list != m_list) {
            closeList();
            if (list)
                out.emplace_back(numbered(list) ? "<ol>" : "<ul>");
            m_list = list;
        }
        if (list)
            out.push_back("<li>" + text + "</li>");
        else if (!text.empty())
            out.push_back("<p>" + text + "</p>");
    }

    // A cell's paragraphs joined by <br>; tables inside cells flatten to their text.
    static std::string cellText(const QTextTableCell &cell)
    {
        std::string text;
        for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
            const QTextBlock block = it.currentBlock();
            if (!block.isValid())
                continue;
            const std::string part = blockText(block);
            if (!part.empty())
                text += (text.empty() ? "" : "<br>") + part;
        }
        return text;
    }

    void addTable(QTextTable *table)
    {
        out.emplace_back("<table border=\"1\" cellpadding=\"4\" cellspacing=\"0\" style=\"border-collapse:collapse\">");
        for (int row = 0; row < table->rows(); ++row) {
            std::string line = "<tr>";
            for (int column = 0; column < table->columns(); ++column) {
                const QTextTableCell cell = table->cellAt(row, column);
                // A merged cell is written once, where it begins.
                if (cell.row() != row || cell.column() != column)
                    continue;
                std::string span;
                if (cell.rowSpan() > 1)
                    span += " rowspan=\"" + std::to_string(cell.rowSpan()) + "\"";
                if (cell.columnSpan() > 1)
                    span += " colspan=\"" + std::to_string(cell.columnSpan()) + "\"";
                // A blank between the cells keeps their words apart for readers that take
                // the text without the markup.
                line += (column > 0 ? " <td" : "<td") + span + ">" + cellText(cell) + "</td>";
            }
            out.push_back(line + "</tr>");
        }
        out.emplace_back("</table>");
    }
};

} // namespace

namespace LetterHtml {

std::vector<std::string> lines(const QTextDocument &letter)
{
    Writer writer;
    writer.frame(letter.rootFrame());
    return writer.out;
}

} // namespace LetterHtml
