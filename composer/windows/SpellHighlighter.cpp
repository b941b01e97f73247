#include "composer/windows/SpellHighlighter.h"

#include "composer/SpellCheck.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBlockUserData>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

#include <algorithm>
#include <vector>

namespace {

// A paragraph's misspelt words, as places in its own text, and the check generation they
// come from (0: the paragraph waits). Places within the paragraph stay right while other
// paragraphs change; a paragraph that changes is checked again. Cursors, which would
// follow every edit, are made only for the lines the editor draws: a long letter would
// otherwise carry thousands, each adjusted at every keystroke.
class BlockMarks : public QTextBlockUserData
{
public:
    int generation = 0;
    std::vector<WordScanner::Word> words;
};

BlockMarks *marksOf(const QTextBlock &block)
{
    return static_cast<BlockMarks *>(block.userData());
}

// Whether the document's layout has reached the paragraph. Asking a paragraph beyond it for
// its place would have Qt lay out the letter up to there at once: in a long letter just
// opened, a large part of it, inside one step.
bool laidOut(const QTextBlock &block)
{
    return block.layout() && block.layout()->lineCount() > 0;
}

// The first paragraph from `top` (in the document's pixels) down, among those laid out.
// The editor's own hit test would first have Qt lay out the letter up to there, and while a
// long letter is still being laid out it answers with the last paragraph laid out rather
// than the one at that place.
QTextBlock blockAt(QTextDocument *doc, qreal top)
{
    const QAbstractTextDocumentLayout *layout = doc->documentLayout();
    int low = 0;
    int high = doc->blockCount() - 1;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const QTextBlock b = doc->findBlockByNumber(middle);
        if (!laidOut(b) || layout->blockBoundingRect(b).bottom() >= top)
            high = middle;
        else
            low = middle + 1;
    }
    return doc->findBlockByNumber(low);
}

int generationOf(const QTextBlock &block)
{
    const BlockMarks *marks = marksOf(block);
    return marks ? marks->generation : 0;
}

} // namespace

SpellHighlighter::SpellHighlighter(QTextEdit *editor, SpellCheck &check)
    : QObject(editor)
    , m_editor(editor)
    , m_check(check)
{
    m_idle.setInterval(0);
    connect(&m_idle, &QTimer::timeout, this, &SpellHighlighter::checkPending);
    // Scrolling shows paragraphs that may still wait, and others' lines: the next step
    // checks those first and hands the editor the lines of the new view.
    connect(editor->verticalScrollBar(), &QScrollBar::valueChanged, this, &SpellHighlighter::viewMoved);
    connect(editor->verticalScrollBar(), &QScrollBar::rangeChanged, this, &SpellHighlighter::viewMoved);
}

QTextCharFormat SpellHighlighter::markFormat()
{
    QTextCharFormat mark;
    mark.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    mark.setUnderlineColor(Qt::red);
    return mark;
}

void SpellHighlighter::setActive(bool active)
{
    m_active = active;
    if (!active) {
        m_idle.stop();
        attach(nullptr);
        m_editor->setExtraSelections({});
        return;
    }
    followEditor();
    recheckAll();
}

void SpellHighlighter::attach(QTextDocument *document)
{
    disconnect(m_contentsConnection);
    m_document = document;
    m_resumeBlock = 0;
    if (document)
        m_contentsConnection = connect(document, &QTextDocument::contentsChange, this, &SpellHighlighter::contentsChanged);
}

void SpellHighlighter::followEditor()
{
    if (m_active && m_document != m_editor->document()) {
        // A new document's paragraphs carry no marks yet: they all wait, and the lines
        // drawn over the old one go.
        attach(m_editor->document());
        m_editor->setExtraSelections({});
        // A letter just opened is shown first; its lines follow a moment after it came. A
        // step still waiting from before (the window's opening) would fall due before it
        // shows when reading the letter took longer than that moment.
        m_idle.start(kSettleMs);
    }
}

void SpellHighlighter::recheckAll()
{
    ++m_generation;
    m_resumeBlock = 0;
    schedule();
}

bool SpellHighlighter::hasPending() const
{
    if (!m_active || !m_document)
        return false;
    for (QTextBlock b = m_document->begin(); b.isValid(); b = b.next()) {
        if (generationOf(b) != m_generation)
            return true;
    }
    return false;
}

void SpellHighlighter::viewMoved()
{
    m_viewMoved = true;
    schedule();
}

QStringList SpellHighlighter::markedWords() const
{
    QStringList words;
    if (!m_active || !m_document)
        return words;
    for (QTextBlock b = m_document->begin(); b.isValid(); b = b.next()) {
        if (const BlockMarks *marks = marksOf(b)) {
            const QString text = b.text();
            for (const WordScanner::Word &w : marks->words)
                words.append(text.mid(w.start, w.length));
        }
    }
    return words;
}

void SpellHighlighter::schedule()
{
    if (m_active && m_document && !m_idle.isActive())
        m_idle.start(0);
}

void SpellHighlighter::contentsChanged(int position, int, int added)
{
    // The changed paragraphs wait again; a split one's new half has no marks at all.
    QTextBlock block = m_document->findBlock(position);
    const QTextBlock last = m_document->findBlock(position + added);
    if (!block.isValid())
        return;
    m_resumeBlock = std::min(m_resumeBlock, block.blockNumber());
    for (int n = 0; block.isValid(); block = block.next(), ++n) {
        if (n == kManyBlocks) {
            // A whole letter loaded or pasted: rather than walk it here, everything waits.
            ++m_generation;
            m_resumeBlock = 0;
            break;
        }
        if (BlockMarks *marks = marksOf(block))
            marks->generation = 0;
        if (block == last)
            break;
    }
    schedule();
}

bool SpellHighlighter::checkBlock(const QTextBlock &block)
{
    if (generationOf(block) == m_generation)
        return false;
    BlockMarks *marks = marksOf(block);
    if (!marks) {
        marks = new BlockMarks;
        QTextBlock owner = block;
        owner.setUserData(marks); // the block owns it from here
    }
    marks->words = m_check.misspelt(block.text());
    marks->generation = m_generation;
    return true;
}

void SpellHighlighter::checkPending()
{
    m_idle.setInterval(0);
    QTextDocument *doc = m_document;
    if (!m_active || !doc) {
        m_idle.stop();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    // The slice holds the hand-over of the marks too: checking stops early by what that
    // took the last time.
    const qint64 checkNs = std::max<qint64>(kSliceMs * 1'000'000LL / 4, kSliceMs * 1'000'000LL - m_publishNs);
    bool changed = false;
    // The paragraphs on screen first: from the one at the top of the view down to the first
    // that starts below it. A paragraph not laid out yet has no place, and the view ends there.
    const QAbstractTextDocumentLayout *layout = doc->documentLayout();
    const int top = m_editor->verticalScrollBar()->value();
    const int bottom = top + m_editor->viewport()->height();
    // A step checks at least one paragraph.
    QTextBlock block = blockAt(doc, top);
    for (; block.isValid() && (!changed || clock.nsecsElapsed() < checkNs); block = block.next()) {
        if (!laidOut(block))
            break;
        const QRectF r = layout->blockBoundingRect(block);
        if (r.top() > bottom)
            break;
        changed |= checkBlock(block);
    }
    // Then the rest, from where the last step stopped, as long as the step lasts.
    block = doc->findBlockByNumber(m_resumeBlock);
    for (; block.isValid(); block = block.next()) {
        if (generationOf(block) == m_generation)
            continue;
        if (changed && clock.nsecsElapsed() >= checkNs)
            break;
        changed |= checkBlock(block);
    }
    if (changed || m_viewMoved) {
        const qint64 checked = clock.nsecsElapsed();
        publish();
        m_publishNs = clock.nsecsElapsed() - checked;
    }
    // Every paragraph before the resume point has been checked (a change moves the point
    // back to it), so a pass that reached the end leaves nothing waiting.
    if (block.isValid()) {
        m_resumeBlock = block.blockNumber();
    } else {
        m_resumeBlock = doc->blockCount();
        m_idle.stop();
    }
}

void SpellHighlighter::publish()
{
    // The lines of the paragraphs from a screen above the view to a screen below it, so that
    // a small scroll already finds its lines. The editor compares the list with the one it
    // has and repaints only where lines came or went; the cursors are shared, not copied.
    m_viewMoved = false;
    const QAbstractTextDocumentLayout *layout = m_document->documentLayout();
    const int height = m_editor->viewport()->height();
    const int top = m_editor->verticalScrollBar()->value() - height;
    const int bottom = top + 3 * height;
    QList<QTextEdit::ExtraSelection> lines;
    const QTextCharFormat mark = markFormat();
    QTextBlock b = blockAt(m_document, top);
    for (; b.isValid() && laidOut(b); b = b.next()) {
        const QRectF r = layout->blockBoundingRect(b);
        if (r.top() > bottom)
            break;
        if (r.bottom() < top)
            continue;
        const BlockMarks *marks = marksOf(b);
        if (!marks || marks->generation == 0)
            continue; // changed since its check: its words are checked again first
        const int at = b.position();
        for (const WordScanner::Word &w : marks->words) {
            QTextCursor c(m_document);
            c.setPosition(at + w.start);
            c.setPosition(at + w.start + w.length, QTextCursor::KeepAnchor);
            lines.append({c, mark});
        }
    }
    m_editor->setExtraSelections(lines);
}
