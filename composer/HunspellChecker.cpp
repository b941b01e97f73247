#include "composer/HunspellChecker.h"

#include "composer/SpellDictionaries.h"

#include <QFile>
#include <QFileInfo>
#include <hunspell.hxx>

HunspellChecker::~HunspellChecker() = default;

std::unique_ptr<HunspellChecker> HunspellChecker::open(const QString &folder, const QString &language)
{
    const QString base = SpellDictionaries::basePath(folder, language);
    const QString aff = base + QStringLiteral(".aff");
    const QString dic = base + QStringLiteral(".dic");
    if (!QFileInfo(aff).isReadable() || !QFileInfo(dic).isReadable())
        return nullptr;
    const auto encoding = QStringConverter::encodingForName(SpellDictionaries::encodingOf(aff).constData());
    if (!encoding)
        return nullptr;
    std::unique_ptr<HunspellChecker> checker(new HunspellChecker);
    checker->m_hunspell = std::make_unique<Hunspell>(QFile::encodeName(aff).constData(), QFile::encodeName(dic).constData());
    checker->m_encoder = QStringEncoder(*encoding);
    checker->m_decoder = QStringDecoder(*encoding);
    checker->m_script = SpellDictionaries::scriptOf(language);
    return checker;
}

bool HunspellChecker::encode(const QString &word, std::string *out) const
{
    const QByteArray bytes = m_encoder.encode(word);
    if (m_encoder.hasError()) {
        m_encoder.resetState();
        return false;
    }
    *out = bytes.toStdString();
    return true;
}

bool HunspellChecker::isCorrect(const QString &word) const
{
    // Typographic apostrophes are spelt as straight ones in the dictionaries.
    QString straight = word;
    straight.replace(QChar(0x2019), QLatin1Char('\''));
    std::string bytes;
    // What the dictionary cannot even write is not its to call wrong.
    if (!encode(straight, &bytes))
        return true;
    return m_hunspell->spell(bytes);
}

QStringList HunspellChecker::suggestions(const QString &word) const
{
    std::string bytes;
    if (!encode(word, &bytes))
        return {};
    QStringList out;
    for (const std::string &s : m_hunspell->suggest(bytes)) {
        const QString text = m_decoder.decode(QByteArray::fromStdString(s));
        m_decoder.resetState();
        if (!text.isEmpty())
            out.append(text);
    }
    return out;
}

void HunspellChecker::accept(const QString &word)
{
    std::string bytes;
    if (encode(word, &bytes))
        m_hunspell->add(bytes);
}
