#pragma once

#include <QString>
#include <functional>
#include <string>
#include <string_view>

// The .eml files handed to the desktop's mail program. They lie in a folder of their own
// in the temporary folder, made with an unpredictable name and open to the owner only
// (mode 0700), and each file is created new under an unpredictable name: nothing another
// user planted in the temporary folder (a link, a file of a guessed name) is ever
// followed, read or replaced. The files stay after the job; the mail program opens them
// when it gets round to it.
class EmlHandOver
{
public:
    // The private folder is made at the first write, inside `tempFolder`.
    explicit EmlHandOver(QString tempFolder);

    // Creates a new file holding `bytes` and returns its path. Raises AppError with the
    // folder's or file's path when it cannot be made or written whole.
    QString write(const std::string &bytes);
    // The same for a text handed over a piece at a time: `fill` gives every piece to its
    // writer, so a large mail goes to the file without being held whole. A `fill` that
    // raises leaves no file behind, and its exception goes on.
    using PieceWriter = std::function<void(std::string_view piece)>;
    QString write(const std::function<void(const PieceWriter &put)> &fill);

    // The private folder; empty before the first write.
    const QString &folder() const { return m_folder; }

private:
    void makeFolder();

    QString m_tempFolder;
    QString m_folder;
};
