#include "VelCodeSignature.h"

#include <QFileInfo>
#include <QProcess>

namespace VelCodeSignature {

const std::optional<QString> &toolPath()
{
    static const std::optional<QString> singletonToolPath = []() -> std::optional<QString> {
        const QString configured = qEnvironmentVariable("VELMORA_CODESIGN");
        const QString tool = configured.isEmpty() ? QStringLiteral("/usr/bin/codesign") : configured;
        if (QFileInfo::exists(tool))
            return tool;
        return std::nullopt;
    }();
    return singletonToolPath;
}

std::optional<bool> isSigned(const QString &bundlePath)
{
    const std::optional<QString> &tool = toolPath();
    if (!tool)
        return std::nullopt;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(*tool, {QStringLiteral("-d"), bundlePath});
    process.waitForFinished(-1);
    // Only ASCII matters for the test; other bytes must not make it fail.
    const QByteArray output = process.readAll();
    return !output.contains("not signed");
}

} // namespace VelCodeSignature
