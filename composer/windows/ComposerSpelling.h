#pragma once

#include "composer/SpellCheck.h"

#include <QObject>
#include <QPoint>

class QAction;
class QMenu;
class QTextEdit;
class SpellHighlighter;
struct ConfigSettings;
struct DataPaths;

// The spell checking of one composer: the dictionaries of the dictionary folder, the
// Tools menu's "Check Spelling" and "Spelling Language", the red lines under misspelt
// words and the editor's context menu with suggestions, "Ignore All" and "Add to
// Dictionary". The choices are stored in Config.dat (SPL_Check, SPL_Language).
class ComposerSpelling : public QObject
{
    Q_OBJECT
public:
    ComposerSpelling(QTextEdit *editor, ConfigSettings &settings, const DataPaths &paths, QObject *parent);

    // Adds the two items at the end of the Tools menu.
    void addToMenu(QMenu *tools);
    // The editor's context menu at a point of its viewport: the standard one, with the
    // spelling items first when the point is on a misspelt word. The caller owns it.
    QMenu *contextMenu(const QPoint &pos);
    // Call after the editor was given another document.
    void documentReplaced();

    SpellCheck &check() { return m_check; }
    SpellHighlighter *highlighter() const { return m_highlighter; }
    QAction *checkAction() const { return m_checkAction; }
    QMenu *languageMenu() const { return m_languageMenu; }
    QString language() const { return m_language; }

    void setChecking(bool on);
    void setLanguage(const QString &language);

private:
    void saveChoice();
    void replaceWord(int blockPosition, int start, int length, const QString &with);

    QTextEdit *m_editor;
    ConfigSettings &m_settings;
    const DataPaths &m_paths;
    SpellCheck m_check;
    SpellHighlighter *m_highlighter;
    QStringList m_languages;
    QString m_language;
    QAction *m_checkAction = nullptr;
    QMenu *m_languageMenu = nullptr;
};
