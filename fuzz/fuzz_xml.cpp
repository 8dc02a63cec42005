// Any bytes through the XML reader. Whatever it accepts must also survive
// the writer and read back the same.
#include "plist/PropertyList.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const plist::Value v = plist::readXml(bytes);
    if (v.isNone())
        return 0;
    const QByteArray written = plist::writeXml(v);
    if (written.isEmpty() || !plist::contentEquals(plist::readXml(written), v))
        std::abort();
    return 0;
}
