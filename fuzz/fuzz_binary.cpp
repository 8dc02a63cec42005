// Binary property lists: reading never crashes, and whatever is read survives
// a write and a second read unchanged.
#include "plist/PropertyList.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const plist::Value v = plist::readBinary(bytes);
    if (v.isNone())
        return 0;
    const QByteArray written = plist::writeBinary(v);
    if (written.isEmpty() || !plist::contentEquals(plist::readBinary(written), v))
        std::abort();
    (void)plist::describe(v);
    return 0;
}
