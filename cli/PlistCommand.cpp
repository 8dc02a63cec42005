// velmoractl plist FILE: the property list in FILE, in any format, printed as
// XML.

#include "CommandLine.h"

#include "plist/PropertyList.h"

#include <QFileInfo>

#include <cstdio>

namespace velctl {

int runPlistCommand(const GlobalOptions &, const QStringList &arguments)
{
    const QString &path = arguments.first();
    const QFileInfo info(path);
    if (!info.exists()) {
        printError(QStringLiteral("%1: no such file").arg(path));
        return kFailure;
    }
    if (!info.isFile() || !info.isReadable()) {
        printError(QStringLiteral("%1: cannot be read").arg(path));
        return kFailure;
    }
    plist::ReadError error;
    const plist::Value value = plist::readFile(path, nullptr, &error);
    if (value.isNone()) {
        printError(QStringLiteral("%1: not a property list: %2").arg(path, error.message));
        return kFailure;
    }
    // Every value read can be written; an empty answer would be a fault here.
    const QByteArray xml = plist::writeXml(value);
    if (xml.isEmpty()) {
        printError(QStringLiteral("%1: cannot be written as XML").arg(path));
        return kFailure;
    }
    if (std::fwrite(xml.constData(), 1, size_t(xml.size()), stdout) != size_t(xml.size()) || std::fflush(stdout) != 0) {
        printError(QStringLiteral("cannot write to standard output"));
        return kFailure;
    }
    return kSuccess;
}

} // namespace velctl
