#pragma once

#include "mailbox/BoxTable.h"
#include "mailbox/MailBoxLists.h"
#include "mailbox/MailStore.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ConfigSettings;
class TMailMessage;

// What the main window decides without a widget: the three box lists from the store, the
// shown list (a sorted copy of the current box's), the remembered rows and the commands'
// steps on the store. The current box and the remembered rows are settings (the record's
// BOX_ fields, kept in Config.dat); only this class changes them. Store errors are raised as AppError ("Cannot open
// file ..."); a failed reload leaves every list as it was.
class MailBoxCore
{
public:
    MailBoxCore(ConfigSettings &settings, QString mailBoxPath);

    const MailStore &store() const { return m_store; }
    const MailBoxLists &lists() const { return m_lists; }
    const BoxList &shown() const { return m_shown; }

    // The current box; nothing when the record names no box.
    std::optional<BoxCode> currentBox() const;
    // Makes the box the current one and shows a sorted copy of its list (not the deleted mark).
    void showBox(BoxCode box);
    // After a composer stored a mail at `position` into `box` (and the lists were reloaded):
    // the box is shown and its remembered row is the mail's row, the last row when the box
    // does not list it. False for the deleted mark, which changes nothing.
    bool showStored(BoxCode box, std::int64_t position);

    int sortColumn() const { return m_sortColumn; }
    void setSortColumn(int column) { m_sortColumn = column; }
    void sortShown();

    // Rescans the store, refills the box lists and the shown list, sorted. When the store
    // cannot be read, the error is kept (storeRead) and raised again.
    void ReloadBoxes();
    // "Sent Box   3", "UnSent Box 12", "Trash Box  0": the selector's items. Until the
    // store has been read once the counts are unknown: "Sent Box   ?".
    QStringList boxCountTexts() const;
    // Whether the last reload read the store; when not, the status bar says so, so that
    // boxes left empty (or as they were) are not taken for what the store holds.
    bool storeRead() const { return m_readError.empty(); }
    // Why the store that was read cannot be changed ("permission denied", "read-only file
    // system"); empty when it can. Its mails are shown all the same.
    const QString &readOnlyReason() const { return m_readOnlyReason; }
    QString storeStatusText() const;

    // The mail the preview shows, by row of the shown list; it is remembered by its
    // position, so that a reload or a box switch can tell whether it is still shown.
    void setPreviewed(int row);
    void clearPreviewed() { m_previewed.reset(); }
    // False when a mail is previewed that the shown list no longer holds.
    bool previewStillShown() const;

    // The remembered row of the current box (the row last previewed there); null when the
    // current box is none of the three.
    int *rememberedRow();
    // The row RestoreSelection selects: the remembered one, the last row when it lies
    // beyond the list; -1 when the list is empty or the remembered row is negative.
    int rowToRestore();

    std::int64_t positionOf(int row) const;
    // The row of the shown list that holds the mail at `position`; -1 when none does.
    int rowOf(std::int64_t position) const;
    // Positions of the rows (indexes into the shown list), in that order.
    std::vector<std::int64_t> positions(const std::vector<int> &rows) const;
    // The subjects of the rows, as the list shows them, in that order.
    QStringList subjects(const std::vector<int> &rows) const;
    void loadMail(int row, TMailMessage &message) const;
    // The same for changing the mail in a composer, without ever holding a large
    // attachment: the bodies LoadMailShown leaves out are copied, decoded a piece at a
    // time, into files of a new private folder inside `tempFolder`. Returns, by
    // attachment, the copy's path (empty for a body the message holds). A copy that
    // cannot be made raises AppError, and the copies made so far are removed.
    QStringList loadMailForChange(int row, TMailMessage &message, const QString &tempFolder) const;
    // The same for the preview: large attachments' bodies are not read (see
    // MailStore::LoadMailShown). shownGap() then tells where the body of such an
    // attachment lies, so that saving it reads it from the store a piece at a time.
    void loadMailShown(int row, TMailMessage &message);
    std::optional<RecordSkeleton::Gap> shownGap(const TMailMessage &message, int attachment) const;
    // Writes the bytes of that body to `path` (replacing it), decoded a piece at a time.
    void saveGap(const RecordSkeleton::Gap &gap, const QString &path) const;

    // Command steps; each returns true when it changed the store (the caller then
    // reloads). Rows are indexes into the shown list, top to bottom.
    // Delete: into the trash, or out of every box when the trash is shown.
    bool deleteRows(const std::vector<int> &rows) const;
    // Moves the rows to the box; nothing when that box is the one shown.
    bool moveRows(const std::vector<int> &rows, BoxCode target) const;
    // Marks every mail of the trash list deleted, whatever box is shown.
    void emptyTrash() const;

    // Composer slots: the first free one (1 to 10) of `taken` (entry 0 is slot 1), or 0
    // when all are taken; then nothing opens and the user is told why.
    static int firstFreeSlot(const std::vector<bool> &taken);
    static const char *const AllSlotsTakenText;

private:
    ConfigSettings &m_settings;
    MailStore m_store;
    MailBoxLists m_lists;
    BoxList m_shown;
    int m_sortColumn = 4;
    std::string m_readError; // why the last reload failed; empty after a good one
    std::vector<RecordSkeleton::Gap> m_gaps; // bodies the last loadMailShown left out
    QString m_readOnlyReason;
    bool m_everRead = false;
    std::optional<std::int64_t> m_previewed; // position of the previewed mail
};
