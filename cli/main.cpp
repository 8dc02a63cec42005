// velmoractl: the service catalogue and its edits, for scripts.

#include "CommandLine.h"

#include <QCoreApplication>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

int usageError(const QString &message)
{
    velctl::printError(message);
    std::fputs("\"velmoractl --help\" describes the commands and options.\n", stderr);
    return velctl::kUsage;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    QString error;
    const std::optional<velctl::Invocation> invocation = velctl::parseCommandLine(arguments, &error);
    if (!invocation)
        return usageError(error);
    if (invocation->help) {
        const QStringList described = invocation->command.isEmpty() ? QStringList() : QStringList {invocation->command};
        return velctl::runHelpCommand(invocation->options, described);
    }
    if (invocation->version)
        return velctl::printVersion();
    if (invocation->command.isEmpty())
        return usageError(u"no command given"_s);
    const velctl::Command *command = velctl::findCommand(invocation->command);
    if (!command)
        return usageError(u"unknown command %1"_s.arg(invocation->command));
    if (!velctl::takesArguments(*command, invocation->arguments)) {
        std::fputs(qPrintable(velctl::commandUsageLine(*command) + u'\n'), stderr);
        return velctl::kUsage;
    }
    return command->run(invocation->options, invocation->arguments);
}
