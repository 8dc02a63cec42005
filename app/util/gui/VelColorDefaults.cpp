#include "VelColorDefaults.h"

#include "util/VelDefaultsArchiving.h"

namespace {

// A colour is archived as {"VelColor": [red, green, blue, alpha]}, each
// channel an integer from 0 to 65535, which keeps every colour Qt holds.
const QString kColorKey = QStringLiteral("VelColor");

} // namespace

void setColorForKey(VelUserDefaults &defaults, const QColor &color, const QString &key)
{
    if (!color.isValid())
        return;
    const QRgba64 rgba = color.rgba64();
    plist::DictionaryPtr archived = plist::Dictionary::create();
    archived->set(kColorKey,
        plist::Array::create({plist::Value(int(rgba.red())), plist::Value(int(rgba.green())),
            plist::Value(int(rgba.blue())), plist::Value(int(rgba.alpha()))}));
    archiveObject(defaults, plist::Value(archived), key);
}

QColor colorForKey(const VelUserDefaults &defaults, const QString &key)
{
    const plist::DictionaryPtr archived = unarchivedObjectForKey(defaults, key).toDictionary();
    const plist::ArrayPtr channels = archived ? archived->value(kColorKey).toArray() : nullptr;
    if (!channels || channels->size() != 4)
        return {};
    quint16 values[4] = {};
    for (qsizetype i = 0; i < 4; ++i) {
        const plist::Value &channel = channels->at(i);
        if (!channel.isInteger() || channel.toInteger() < 0 || channel.toInteger() > 0xFFFF)
            return {};
        values[i] = quint16(channel.toInteger());
    }
    return QColor(QRgba64::fromRgba64(values[0], values[1], values[2], values[3]));
}
