#include "mailbox/MailBoxLists.h"

#include "mailbox/BoxTable.h"
#include "mailbox/MailStore.h"

#include <utility>

MailBoxLists MailBoxLists::fromListing(std::vector<MailSummary> listing)
{
    MailBoxLists lists;
    for (MailSummary &summary : listing) {
        const std::optional<BoxCode> code = BoxTable::fromByte(summary.boxCode);
        if (BoxList *list = code ? lists.list(*code) : nullptr)
            list->push_back(std::move(summary));
    }
    return lists;
}

BoxList *MailBoxLists::list(BoxCode code)
{
    switch (code) {
    case BoxCode::Sent:
        return &sent;
    case BoxCode::Unsent:
        return &unsent;
    case BoxCode::Trash:
        return &trash;
    case BoxCode::Deleted:
        break;
    }
    return nullptr;
}

const BoxList *MailBoxLists::box(BoxCode code) const
{
    return const_cast<MailBoxLists *>(this)->list(code);
}

int MailBoxLists::count(BoxCode code) const
{
    const BoxList *list = box(code);
    return list ? int(list->size()) : 0;
}
