#include "mailbox/MailBoxLists.h"

#include "mailbox/MailStore.h"

#include <utility>

MailBoxLists MailBoxLists::fromListing(std::vector<MailSummary> listing)
{
    MailBoxLists lists;
    for (MailSummary &summary : listing) {
        switch (summary.boxCode) {
        case MailStore::SentCode:
            lists.sent.push_back(std::move(summary));
            break;
        case MailStore::UnsentCode:
            lists.unsent.push_back(std::move(summary));
            break;
        case MailStore::TrashCode:
            lists.trash.push_back(std::move(summary));
            break;
        default:
            break;
        }
    }
    return lists;
}

const BoxList *MailBoxLists::box(char boxCode) const
{
    switch (boxCode) {
    case MailStore::SentCode:
        return &sent;
    case MailStore::UnsentCode:
        return &unsent;
    case MailStore::TrashCode:
        return &trash;
    default:
        return nullptr;
    }
}

int MailBoxLists::count(char boxCode) const
{
    const BoxList *list = box(boxCode);
    return list ? int(list->size()) : 0;
}
