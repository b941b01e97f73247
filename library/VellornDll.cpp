// The companion library: it exports nothing, and its load-time initialisation only
// records the product's version text.
#include <string>

namespace {

std::string g_versionText;

// Runs when the library is loaded, like a DLL's process-attach entry.
__attribute__((constructor)) void onLoad()
{
    g_versionText = "Vellorn Composer 5.0 DLLS";
}

} // namespace
