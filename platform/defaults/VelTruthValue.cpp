#include "VelTruthValue.h"

bool VelStringTruthValue(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-'))
        ++i;
    while (i < text.size() && text.at(i) == u'0')
        ++i;
    if (i == text.size())
        return false;
    const char16_t c = text.at(i).unicode();
    return c == u'Y' || c == u'y' || c == u'T' || c == u't' || (c >= u'1' && c <= u'9');
}

bool VelTruthValue(const plist::Value &value)
{
    switch (value.type()) {
    case plist::Value::Type::Boolean:
        return value.toBoolean();
    case plist::Value::Type::Integer:
        return value.toUnsigned() != 0;
    case plist::Value::Type::Real:
        return value.toReal() != 0.0;
    case plist::Value::Type::String:
        return VelStringTruthValue(*value.asString());
    default:
        return false;
    }
}
