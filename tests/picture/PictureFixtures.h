#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <string>
#include <utility>
#include <vector>

// Stored mails as the composer writes them, and picture mails as Python reads them.
namespace PictureFixtures {

struct Attachment
{
    std::string name;
    std::string bytes;
};

// The text of a stored mail: subject, sender, one recipient, the letter's rich-text
// source as the plain-text body, the attachments.
std::string storedMail(const std::string &subject, const std::string &letter,
                       const std::vector<Attachment> &attachments = {},
                       const std::string &to = "reader@example.org");

// An RTF letter of `paragraphs` numbered paragraphs.
std::string rtfLetter(int paragraphs, const std::string &title = "Dear reader,");

// Letters of the kinds people write: one paragraph; a bulleted and a numbered list and a
// table; a footnote.
std::string oneParagraphLetter();
std::string listAndTableLetter();
std::string footnoteLetter();
// The words of a text (runs of letters and digits), in order.
QStringList words(const QString &text);

// Deterministic bytes of any length (attachments that are not text).
std::string binaryBytes(size_t size, unsigned seed);
std::string sha256Hex(const std::string &bytes);

// describe_picture_mail.py's view of the mail; an "error" key when Python failed.
QJsonObject describe(const QByteArray &emlBytes);

} // namespace PictureFixtures
