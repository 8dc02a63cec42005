// Old-style text property lists: reading never crashes, and a container read
// reads back unchanged from its own description.
#include "plist/PropertyList.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const plist::Value v = plist::readText(bytes);
    if (!v.isArray() && !v.isDictionary())
        return 0;
    const plist::Value again = plist::readText(plist::describe(v).toUtf8());
    if (!plist::contentEquals(again, v))
        std::abort();
    return 0;
}
