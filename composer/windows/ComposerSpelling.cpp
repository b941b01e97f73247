#include "composer/windows/ComposerSpelling.h"

#include "composer/HunspellChecker.h"
#include "composer/SpellDictionaries.h"
#include "composer/windows/SpellHighlighter.h"
#include "config/ConfigFile.h"
#include "config/ConfigSettings.h"
#include "os/DataPaths.h"

#include <QActionGroup>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextEdit>

ComposerSpelling::ComposerSpelling(QTextEdit *editor, ConfigSettings &settings, const DataPaths &paths,
                                   QObject *parent)
    : QObject(parent)
    , m_editor(editor)
    , m_settings(settings)
    , m_paths(paths)
    , m_check(paths.folder + QLatin1String(PersonalWords::kFileName))
    , m_highlighter(new SpellHighlighter(editor, m_check))
{
    m_languages = SpellDictionaries::available(paths.dictionaries);
    m_language = SpellDictionaries::chosen(m_languages, QString::fromStdString(settings.SPL_Language),
                                           QLocale::system().name());
    if (!m_language.isEmpty())
        m_check.setChecker(HunspellChecker::open(paths.dictionaries, m_language));
    m_highlighter->setActive(settings.SPL_Check && m_check.hasChecker());

    editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(editor, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        QMenu *menu = contextMenu(pos);
        menu->exec(m_editor->viewport()->mapToGlobal(pos));
        delete menu;
    });
}

void ComposerSpelling::addToMenu(QMenu *tools)
{
    tools->addSeparator();
    m_checkAction = tools->addAction(QStringLiteral("Check &Spelling"));
    m_checkAction->setObjectName(QStringLiteral("CheckSpelling1"));
    m_checkAction->setCheckable(true);
    m_languageMenu = tools->addMenu(QStringLiteral("Spelling &Language"));
    m_languageMenu->setObjectName(QStringLiteral("SpellingLanguage1"));
    if (!m_check.hasChecker()) {
        // Nothing to check with: the menu says why instead of offering a switch that does nothing.
        m_checkAction->setText(QStringLiteral("Check &Spelling (no dictionary installed)"));
        m_checkAction->setEnabled(false);
        m_languageMenu->setEnabled(false);
        return;
    }
    m_checkAction->setChecked(m_highlighter->isActive());
    connect(m_checkAction, &QAction::toggled, this, &ComposerSpelling::setChecking);
    auto *group = new QActionGroup(m_languageMenu);
    for (const QString &language : m_languages) {
        const QLocale locale(language);
        const QString name = locale.language() == QLocale::C
            ? language
            : QStringLiteral("%1 (%2)").arg(QLocale::languageToString(locale.language()), language);
        QAction *a = m_languageMenu->addAction(name);
        a->setData(language);
        a->setCheckable(true);
        a->setChecked(language == m_language);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, language] { setLanguage(language); });
    }
}

void ComposerSpelling::setChecking(bool on)
{
    on = on && m_check.hasChecker();
    m_highlighter->setActive(on);
    if (m_checkAction && m_checkAction->isChecked() != on)
        m_checkAction->setChecked(on);
    m_settings.SPL_Check = on;
    saveChoice();
}

void ComposerSpelling::setLanguage(const QString &language)
{
    std::unique_ptr<HunspellChecker> checker = HunspellChecker::open(m_paths.dictionaries, language);
    if (!checker)
        return;
    m_language = language;
    m_check.setChecker(std::move(checker));
    m_highlighter->recheckAll();
    m_settings.SPL_Language = language.toStdString();
    saveChoice();
}

void ComposerSpelling::saveChoice()
{
    if (SaveSpelling(m_settings, m_paths.config))
        return;
    if (auto *window = qobject_cast<QMainWindow *>(m_editor->window()))
        window->statusBar()->showMessage(QStringLiteral("The spelling choice could not be written to %1")
                                             .arg(m_paths.config));
}

void ComposerSpelling::documentReplaced()
{
    m_highlighter->followEditor();
}

QMenu *ComposerSpelling::contextMenu(const QPoint &pos)
{
    QMenu *menu = m_editor->createStandardContextMenu(pos);
    if (!m_highlighter->isActive())
        return menu;
    const QTextCursor at = m_editor->cursorForPosition(pos);
    const QTextBlock block = at.block();
    const QString text = block.text();
    const WordScanner::Word w = m_check.misspeltAt(text, at.positionInBlock());
    if (w.length == 0)
        return menu;
    const QString word = text.mid(w.start, w.length);
    QAction *first = menu->actions().value(0);
    const int blockPosition = block.position();
    auto add = [&](const QString &caption, auto handler) {
        QAction *a = new QAction(caption, menu);
        menu->insertAction(first, a);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    const QStringList suggestions = m_check.suggestions(word);
    for (const QString &s : suggestions) {
        add(s, [this, blockPosition, w, s] { replaceWord(blockPosition, w.start, w.length, s); })
            ->setObjectName(QStringLiteral("Suggestion"));
    }
    if (suggestions.isEmpty())
        add(QStringLiteral("(no suggestions)"), [] {})->setEnabled(false);
    menu->insertSeparator(first);
    add(QStringLiteral("I&gnore All"), [this, word] {
        m_check.ignore(word);
        m_highlighter->recheckAll();
    })->setObjectName(QStringLiteral("IgnoreAll"));
    add(QStringLiteral("Add to &Dictionary"), [this, word] {
        if (!m_check.addToDictionary(word)) {
            if (auto *window = qobject_cast<QMainWindow *>(m_editor->window()))
                window->statusBar()->showMessage(QStringLiteral("\"%1\" could not be added to the personal word list").arg(word));
        }
        m_highlighter->recheckAll();
    })->setObjectName(QStringLiteral("AddToDictionary"));
    menu->insertSeparator(first);
    return menu;
}

void ComposerSpelling::replaceWord(int blockPosition, int start, int length, const QString &with)
{
    QTextCursor c(m_editor->document());
    c.setPosition(blockPosition + start);
    c.setPosition(blockPosition + start + length, QTextCursor::KeepAnchor);
    // The replacement takes the word's own format: that of its first letter.
    QTextCursor first(m_editor->document());
    first.setPosition(blockPosition + start + 1);
    const QTextCharFormat format = first.charFormat();
    c.beginEditBlock();
    c.insertText(with, format);
    c.endEditBlock();
    m_editor->setTextCursor(c);
}
