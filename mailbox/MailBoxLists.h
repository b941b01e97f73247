#pragma once

#include "mailbox/BoxCode.h"
#include "mailbox/MailSummary.h"

#include <vector>

// The rows of one box, or of the shown list: summaries in file order (or sorted).
using BoxList = std::vector<MailSummary>;

// The main window's three box lists, filled from one listing of the store. Records in
// no box (deleted, or with an unknown code) go nowhere.
struct MailBoxLists
{
    BoxList sent;
    BoxList unsent;
    BoxList trash;

    static MailBoxLists fromListing(std::vector<MailSummary> listing);

    // The list of a box; null for the deleted mark.
    const BoxList *box(BoxCode code) const;
    int count(BoxCode code) const;

private:
    BoxList *list(BoxCode code);
};
