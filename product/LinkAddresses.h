#pragma once

#include "product/VendorLinks.h"

#include <QString>

// The home page and the support mail address the windows link to. The defaults are the
// maker's; the configuration may name others.
struct LinkAddresses
{
    QString homePage = QString::fromLatin1(VendorLinks::HomePage);
    // A "mailto:" URL without a query.
    QString supportMail = QString::fromLatin1(VendorLinks::SupportMail);
};
