// A file inserted into a letter as a picture (Insert Picture, or dropped on the editor):
// recognised by its content, decoded and capped, shown at most as wide as the page's text;
// then the letter saved and loaded as the composer does. Saved again after loading, the
// letter must stay the same from then on, and its picture keeps the pixels it was saved
// with. The first byte chooses: 0, the rest is the file.
#include "fuzz/FuzzSupport.h"

#include "composer/PictureFile.h"
#include "config/ConfigSettings.h"
#include "richtext/LetterDocument.h"

#include <QTextCursor>
#include <QTextDocument>
#include <string>

namespace {

// The words before the picture's data: its kind, pixels and shown size.
std::string pictureWords(const std::string &rtf)
{
    const size_t at = rtf.find("{\\pict");
    return at == std::string::npos ? std::string() : rtf.substr(at, rtf.find('\n', at) - at);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::ensureApplication();
    if (size == 0 || data[0] != 0)
        return 0;
    const QString path = FuzzSupport::scratchFile("picture", FuzzSupport::bytes(data + 1, size - 1));
    (void)PictureFile::formatOf(path);
    const PictureFile::Picture picture = PictureFile::read(path);
    FuzzSupport::require(picture.image.isNull() != picture.error.isEmpty(), "a file gives a picture or says why not");
    if (picture.image.isNull())
        return 0;
    const int width = PictureFile::textWidth(ConfigSettings::firstRun());
    const QSizeF shown = PictureFile::shownSize(picture.image.size(), width);
    FuzzSupport::require(shown.width() <= width + 0.5 || picture.image.width() <= width, "a picture is shown no wider than the text");

    QTextDocument letter;
    QTextCursor cursor(&letter);
    PictureFile::insert(cursor, picture, width);
    const std::string saved = LetterDocument::save(letter);
    QTextDocument loaded;
    LetterDocument::load(saved, &loaded);
    const std::string again = LetterDocument::save(loaded);
    FuzzSupport::require(pictureWords(again) == pictureWords(saved), "a picture reads back with the pixels it was saved with");
    QTextDocument reloaded;
    LetterDocument::load(again, &reloaded);
    FuzzSupport::require(LetterDocument::save(reloaded) == again, "a letter with a picture saves the same once loaded");
    return 0;
}
