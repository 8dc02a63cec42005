// velmoractl help [COMMAND], --help and --version.

#include "CommandLine.h"

#include <bundles/VelBundle.h>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace velctl {

int runHelpCommand(const GlobalOptions &, const QStringList &arguments)
{
    if (arguments.isEmpty()) {
        std::fputs(qPrintable(usageText()), stdout);
        return kSuccess;
    }
    const Command *command = findCommand(arguments.first());
    if (!command) {
        printError(u"unknown command %1; \"velmoractl --help\" lists them"_s.arg(arguments.first()));
        return kUsage;
    }
    std::fputs(qPrintable(commandHelpText(*command)), stdout);
    return kSuccess;
}

int printVersion()
{
    const VelBundle &bundle = VelBundle::mainBundle();
    const QString version = bundle.objectForInfoDictionaryKey(u"CFBundleShortVersionString"_s).toString();
    if (version.isEmpty()) {
        printError(u"%1 names no version"_s.arg(bundle.infoDictionaryPath()));
        return kFailure;
    }
    std::printf("velmoractl %s\n", qPrintable(version));
    return kSuccess;
}

} // namespace velctl
