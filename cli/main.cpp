// velmoractl: the service catalogue and its edits, for scripts.

#include "CommandLine.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    if (arguments == QStringList{QStringLiteral("--help")} || arguments == QStringList{QStringLiteral("help")}) {
        std::fputs(qPrintable(velctl::usageText()), stdout);
        return velctl::kSuccess;
    }
    QString error;
    const std::optional<velctl::Invocation> invocation = velctl::parseCommandLine(arguments, &error);
    if (!invocation) {
        velctl::printError(error);
        std::fputs(qPrintable(velctl::usageText()), stderr);
        return velctl::kUsage;
    }
    for (const velctl::Command &command : velctl::commands()) {
        if (invocation->command == QLatin1StringView(command.name))
            return command.run(invocation->options, invocation->arguments);
    }
    velctl::printError(QStringLiteral("unknown command %1").arg(invocation->command));
    std::fputs(qPrintable(velctl::usageText()), stderr);
    return velctl::kUsage;
}
