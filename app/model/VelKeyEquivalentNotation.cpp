#include "VelKeyEquivalentNotation.h"

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

namespace {

struct ModifierSign {
    QChar sign;
    VelKeyCombination::Modifier modifier;
    const char16_t *name;
};

// The order the Mac writes them in, and the order of the description.
constexpr ModifierSign kModifierSigns[] = {
    {u'@', VelKeyCombination::Command, u"command"},
    {u'$', VelKeyCombination::Shift, u"shift"},
    {u'~', VelKeyCombination::Option, u"option"},
    {u'^', VelKeyCombination::Control, u"control"},
};

const QString kSpaceName = u"Space"_s;

// A letter written in upper case carries an implied Shift.
VelKeyCombination combination(unsigned modifiers, const QString &key)
{
    const QString lower = key.toLower();
    if (key.size() == 1 && lower != key)
        modifiers |= VelKeyCombination::Shift;
    return VelKeyCombination {modifiers, key.size() == 1 ? lower : key};
}

} // namespace

QString VelKeyCombination::pbsNotation() const
{
    if (key.isEmpty())
        return QString();
    QString text;
    for (const ModifierSign &m : kModifierSigns) {
        if (modifiers & m.modifier)
            text += m.sign;
    }
    return text + (key == u" " ? kSpaceName : key);
}

QString VelKeyCombination::description() const
{
    if (key.isEmpty())
        return QString();
    // Shift first, as the catalogue's own "[shift]-[command]-[K]" reads.
    QString text;
    if (modifiers & Shift)
        text += u"[shift]-"_s;
    for (const ModifierSign &m : kModifierSigns) {
        if (m.modifier != Shift && (modifiers & m.modifier))
            text += u'[' + QString::fromUtf16(m.name) + u"]-"_s;
    }
    const QString shown = key == u" " ? kSpaceName : ((modifiers & Shift) && key.size() == 1 ? key.toUpper() : key);
    return text + u'[' + shown + u']';
}

VelKeyCombination VelKeyCombinationFromBundleKey(const std::optional<QString> &key)
{
    if (!key || key->size() != 1)
        return {};
    return combination(VelKeyCombination::Command, *key);
}

std::optional<VelKeyCombination> VelKeyCombinationFromPbsNotation(const QString &text)
{
    if (text.isEmpty())
        return VelKeyCombination {};
    unsigned modifiers = 0;
    qsizetype i = 0;
    // The last character is always the key, so "@$" is Command with "$".
    for (; i + 1 < text.size(); ++i) {
        const auto sign = std::find_if(std::begin(kModifierSigns), std::end(kModifierSigns),
            [&](const ModifierSign &m) { return m.sign == text[i]; });
        if (sign == std::end(kModifierSigns))
            break;
        modifiers |= sign->modifier;
    }
    const QString key = text.mid(i);
    if (key == kSpaceName)
        return VelKeyCombination {modifiers, u" "_s};
    if (key.size() != 1)
        return std::nullopt;
    return combination(modifiers, key);
}

std::optional<VelKeyCombination> VelKeyCombinationFromUserText(const QString &text)
{
    if (text.isEmpty())
        return VelKeyCombination {};
    if (text.size() == 1)
        return VelKeyCombinationFromBundleKey(text);
    return VelKeyCombinationFromPbsNotation(text);
}
