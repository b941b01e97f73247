#include "tools/shots/ShotRegistry.h"

bool ShotRegistry::add(const QString &name, Open open)
{
    list().push_back({name, std::move(open)});
    return true;
}

const std::vector<ShotRegistry::Entry> &ShotRegistry::entries()
{
    return list();
}

std::vector<ShotRegistry::Entry> &ShotRegistry::list()
{
    static std::vector<Entry> entries;
    return entries;
}
