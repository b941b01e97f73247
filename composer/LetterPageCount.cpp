#include "composer/LetterPageCount.h"

#include "config/ConfigSettings.h"
#include "os/DefaultFont.h"
#include "picture/PageRenderer.h"
#include "richtext/LetterDocument.h"

#include <QElapsedTimer>
#include <QTextDocument>
#include <algorithm>

LetterPageCount::LetterPageCount(const ConfigSettings &settings, std::function<const QTextDocument *()> letter,
                                 QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_letter(std::move(letter))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kMinDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &LetterPageCount::countNow);
}

void LetterPageCount::schedule()
{
    // A long letter waits longer for the typing to pause, from its first count on; after
    // that, the time the last count took decides, if longer.
    const QTextDocument *letter = m_letter ? m_letter() : nullptr;
    const int byLength = letter ? letter->characterCount() / kCharactersPerMs : 0;
    m_timer.start(std::clamp(std::max(byLength, m_learnedDelay), kMinDelayMs, kMaxDelayMs));
}

void LetterPageCount::flush()
{
    if (m_timer.isActive()) {
        m_timer.stop();
        countNow();
    }
}

void LetterPageCount::countNow()
{
    const QTextDocument *letter = m_letter ? m_letter() : nullptr;
    if (!letter)
        return;
    QElapsedTimer clock;
    clock.start();
    const int pages = count(*letter, m_settings);
    // A long letter takes long to count: wait longer for the typing to pause, so the
    // count never stands in the way of the typing.
    const qint64 took = clock.elapsed();
    m_learnedDelay = static_cast<int>(std::clamp<qint64>(took * 4, kMinDelayMs, kMaxDelayMs));
    if (pages != m_pages) {
        m_pages = pages;
        emit counted(pages);
    }
}

int LetterPageCount::count(const QTextDocument &letter, const ConfigSettings &settings)
{
    // What is stored is what is sent: the RTF of the letter, read back as the send job
    // reads it, with the pages' default font.
    QTextDocument sent;
    LetterDocument::load(LetterDocument::save(letter), &sent);
    if (sent.defaultFont() != DefaultFont::font())
        sent.setDefaultFont(DefaultFont::font());
    return PageRenderer::countPages(sent, settings);
}

QString LetterPageCount::text(int pages)
{
    return pages == 1 ? QStringLiteral("1 page") : QStringLiteral("%1 pages").arg(pages);
}
