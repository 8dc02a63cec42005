// Any property list, read in whatever format it is, written as XML and read
// again, gives the same value, up to what XML cannot hold: dates keep whole
// seconds, and text must be expressible in UTF-8.
#include "plist/PropertyList.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

bool survivesUtf8(const QString &s)
{
    return QString::fromUtf8(s.toUtf8()) == s;
}

// The value as XML keeps it, or none when the writer cannot keep it at all.
plist::Value normalized(const plist::Value &v, int depth)
{
    using plist::Value;
    if (depth > plist::kMaxDepth)
        return {};
    switch (v.type()) {
    case Value::Type::String:
        return survivesUtf8(*v.asString()) ? v : Value();
    case Value::Type::Date: {
        const double seconds = std::floor(v.toDate().secondsSinceReferenceDate);
        return std::isfinite(seconds) ? Value(plist::Date {seconds}) : Value();
    }
    case Value::Type::Array: {
        plist::ArrayPtr copy = plist::Array::create();
        for (const Value &item : *v.toArray()) {
            Value n = normalized(item, depth + 1);
            if (n.isNone())
                return {};
            copy->append(std::move(n));
        }
        return copy;
    }
    case Value::Type::Dictionary: {
        plist::DictionaryPtr copy = plist::Dictionary::create();
        for (const auto &[key, item] : v.toDictionary()->entries()) {
            Value n = normalized(item, depth + 1);
            if (n.isNone() || !survivesUtf8(key))
                return {};
            copy->set(key, std::move(n));
        }
        return copy;
    }
    default:
        return v;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const plist::Value v = plist::read(bytes);
    const plist::Value expected = normalized(v, 0);
    if (expected.isNone())
        return 0;
    const QByteArray written = plist::writeXml(v);
    if (written.isEmpty())
        return 0; // dates too far away to name
    if (!plist::contentEquals(plist::readXml(written), expected))
        std::abort();
    return 0;
}
