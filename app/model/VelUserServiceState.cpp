#include "VelUserServiceState.h"

#include "VelPbsStatusFile.h"
#include "VelServiceEntry.h"
#include "VelServiceKeys.h"

#include <defaults/VelTruthValue.h>

using namespace Qt::StringLiterals;

namespace {

const QString kSeparator = u" - "_s;
const QString kNoIdentifier = u"(null)"_s;

bool isAppleIdentifier(const QString &identifier)
{
    return identifier.startsWith(u"com.apple.");
}

std::optional<bool> defaultEnabledState(const QString &identifier, const plist::DictionaryPtr &serviceEntry)
{
    if (isAppleIdentifier(identifier))
        return std::nullopt;
    return serviceEntry->contains(u"NSRequiredContext");
}

std::optional<bool> userEnabledState(const plist::Dictionary &userEntry)
{
    if (const std::optional<bool> flag = VelPbsFlag(userEntry.value(VelPbsStatusFile::EnabledServicesMenu)))
        return flag;
    if (const plist::Dictionary *modes = userEntry.value(VelPbsStatusFile::PresentationModes).asDictionary())
        return VelPbsFlag(modes->value(VelPbsStatusFile::ServicesMenuMode));
    return std::nullopt;
}

} // namespace

QString VelUserStateSourceName(VelUserStateSource source)
{
    switch (source) {
    case VelUserStateSource::User:
        return u"user"_s;
    case VelUserStateSource::Default:
        return u"default"_s;
    case VelUserStateSource::Bundle:
        return u"bundle"_s;
    }
    return QString();
}

QString VelPbsIdentifier(const plist::Dictionary *infoDictionary)
{
    const QString *identifier = infoDictionary ? infoDictionary->value(u"CFBundleIdentifier").asString() : nullptr;
    return identifier && !identifier->isEmpty() ? *identifier : kNoIdentifier;
}

std::optional<QString> VelPbsServiceKey(const QString &identifier, const plist::DictionaryPtr &entry)
{
    const std::optional<QString> title = serviceMenuItemTitle(entry);
    if (!title)
        return std::nullopt;
    const QString *message = entry->value(VelKey::Message).asString();
    return identifier + kSeparator + *title + kSeparator + (message ? *message : kNoIdentifier);
}

std::optional<VelPbsKeyParts> VelSplitPbsServiceKey(const QString &key)
{
    const qsizetype first = key.indexOf(kSeparator);
    const qsizetype last = key.lastIndexOf(kSeparator);
    if (first < 0 || last <= first)
        return std::nullopt;
    return VelPbsKeyParts {key.left(first), key.mid(first + kSeparator.size(), last - first - kSeparator.size()),
        key.mid(last + kSeparator.size())};
}

std::optional<bool> VelPbsFlag(const plist::Value &value)
{
    if (value.isBoolean() || value.isNumber())
        return VelTruthValue(value);
    if (const QString *text = value.asString())
        return VelStringTruthValue(*text);
    return std::nullopt;
}

VelUserServiceState VelEffectiveUserState(
    const plist::Dictionary *userEntry, const QString &identifier, const plist::DictionaryPtr &serviceEntry)
{
    VelUserServiceState state;
    state.keyEquivalent = VelKeyCombinationFromBundleKey(serviceKeyEquivalent(serviceEntry));
    if (!isServiceEnabled(serviceEntry)) {
        state.enabled = false;
        state.source = VelUserStateSource::Bundle;
        return state;
    }
    if (!userEntry) {
        state.enabled = defaultEnabledState(identifier, serviceEntry);
        return state;
    }
    state.source = VelUserStateSource::User;
    const std::optional<bool> enabled = userEnabledState(*userEntry);
    state.enabled = enabled ? enabled : defaultEnabledState(identifier, serviceEntry);
    if (const QString *key = userEntry->value(VelPbsStatusFile::KeyEquivalent).asString()) {
        // A key_equivalent the notation cannot read is no usable shortcut.
        state.keyEquivalent = VelKeyCombinationFromPbsNotation(*key).value_or(VelKeyCombination {});
    }
    return state;
}
