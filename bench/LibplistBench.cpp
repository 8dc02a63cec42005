// plist-bench-libplist DIR...: the same measurement with Debian's libplist,
// so that the figures can be put side by side.
#include "BenchFiles.h"

#include <plist/plist.h>

namespace {

bool parseWithLibplist(const QByteArray &bytes)
{
    plist_t root = nullptr;
    if (bytes.startsWith("bplist00"))
        plist_from_bin(bytes.constData(), uint32_t(bytes.size()), &root);
    else
        plist_from_xml(bytes.constData(), uint32_t(bytes.size()), &root);
    if (!root)
        return false;
    plist_free(root);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::run(argc, argv, parseWithLibplist);
}
