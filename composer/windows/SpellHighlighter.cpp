#include "composer/windows/SpellHighlighter.h"

#include "composer/SpellCheck.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBlockUserData>
#include <QTextEdit>

namespace {

// A paragraph's mark: the check generation it was last checked in (0: waiting).
class BlockCheck : public QTextBlockUserData
{
public:
    explicit BlockCheck(int generation) : generation(generation) {}
    int generation;
};

int generationOf(const QTextBlock &block)
{
    const auto *data = static_cast<const BlockCheck *>(block.userData());
    return data ? data->generation : 0;
}

// One idle step checks paragraphs for about this long, then lets the window breathe.
constexpr int kIdleSliceMs = 8;

} // namespace

SpellHighlighter::SpellHighlighter(QTextEdit *editor, SpellCheck &check)
    : QSyntaxHighlighter(static_cast<QObject *>(editor))
    , m_editor(editor)
    , m_check(check)
{
    // Attached only while checking is on (the base class attaches to an editor's document).
    setDocument(nullptr);
    m_idle.setInterval(0);
    connect(&m_idle, &QTimer::timeout, this, &SpellHighlighter::checkPending);
    // Scrolling shows paragraphs that may still wait: those come next.
    connect(editor->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (hasPending())
            schedule();
    });
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
        // Detaching takes every line away.
        setDocument(nullptr);
        return;
    }
    followEditor();
    recheckAll();
}

void SpellHighlighter::followEditor()
{
    if (m_active && document() != m_editor->document()) {
        // A new document's paragraphs carry no marks yet: they all wait.
        setDocument(m_editor->document());
        m_resumeBlock = 0;
        schedule();
    }
}

void SpellHighlighter::recheckAll()
{
    ++m_generation;
    m_resumeBlock = 0;
    if (m_active && document())
        rehighlight();
    schedule();
}

bool SpellHighlighter::hasPending() const
{
    if (!m_active || !document())
        return false;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        if (generationOf(b) != m_generation)
            return true;
    }
    return false;
}

void SpellHighlighter::schedule()
{
    if (m_active && document())
        m_idle.start();
}

void SpellHighlighter::highlightBlock(const QString &text)
{
    if (!m_active)
        return;
    if (!m_forced && m_checkedThisTurn >= kImmediateBlocks) {
        // Too many at once: this one waits for the idle pass.
        auto *data = static_cast<BlockCheck *>(currentBlockUserData());
        if (data)
            data->generation = 0;
        m_resumeBlock = std::min(m_resumeBlock, currentBlock().blockNumber());
        schedule();
        return;
    }
    if (!m_turnReset) {
        m_turnReset = true;
        QTimer::singleShot(0, this, [this] {
            m_checkedThisTurn = 0;
            m_turnReset = false;
        });
    }
    ++m_checkedThisTurn;
    const QTextCharFormat mark = markFormat();
    for (const WordScanner::Word &w : m_check.misspelt(text))
        setFormat(w.start, w.length, mark);
    auto *data = static_cast<BlockCheck *>(currentBlockUserData());
    if (data)
        data->generation = m_generation;
    else
        setCurrentBlockUserData(new BlockCheck(m_generation));
}

void SpellHighlighter::checkBlock(const QTextBlock &block)
{
    m_forced = true;
    rehighlightBlock(block);
    m_forced = false;
}

void SpellHighlighter::checkPending()
{
    QTextDocument *doc = document();
    if (!m_active || !doc) {
        m_idle.stop();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    // The paragraphs on screen first.
    const QRect view = m_editor->viewport()->rect();
    QTextBlock block = m_editor->cursorForPosition(view.topLeft()).block();
    const QTextBlock last = m_editor->cursorForPosition(view.bottomRight()).block();
    for (; block.isValid(); block = block.next()) {
        if (generationOf(block) != m_generation)
            checkBlock(block);
        if (block == last)
            break;
    }
    // Then the rest, from where the last step stopped.
    block = doc->findBlockByNumber(m_resumeBlock);
    for (; block.isValid(); block = block.next()) {
        if (generationOf(block) != m_generation) {
            if (clock.elapsed() >= kIdleSliceMs) {
                m_resumeBlock = block.blockNumber();
                return; // the timer calls again when idle
            }
            checkBlock(block);
        }
    }
    m_resumeBlock = 0;
    if (!hasPending())
        m_idle.stop();
}
