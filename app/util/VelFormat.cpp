#include "VelFormat.h"

QString VelFormat(const QString &format, const QStringList &arguments)
{
    QString result;
    result.reserve(format.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != u'%' || i + 1 >= format.size()) {
            result += c;
            continue;
        }
        const QChar directive = format[i + 1];
        if (directive == u'%') {
            result += u'%';
            ++i;
        } else if (directive == u'@' || directive == u'd') {
            if (next < arguments.size())
                result += arguments[next];
            ++next;
            ++i;
        } else {
            result += c;
        }
    }
    return result;
}
