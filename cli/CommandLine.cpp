#include "CommandLine.h"

#include <cstdio>

namespace velctl {

namespace {

constexpr Command kCommands[] = {
    {"providers", "", &runProvidersCommand},
    {"services", "PROVIDER", &runServicesCommand},
    {"menu", "", &runMenuCommand},
    {"status", "", &runStatusCommand},
    {"enable", "PROVIDER SERVICE", &runEnableCommand},
    {"disable", "PROVIDER SERVICE", &runDisableCommand},
    {"rename", "PROVIDER SERVICE NEW-TITLE", &runRenameCommand},
    {"shortcut", "PROVIDER SERVICE KEY", &runShortcutCommand},
    {"enable-all", "[PROVIDER]", &runEnableAllCommand},
    {"disable-all", "[PROVIDER]", &runDisableAllCommand},
    {"revert", "[PROVIDER]", &runRevertCommand},
    {"plist", "FILE", &runPlistCommand},
};

// Answers whether the argument at *i was a global option, consuming its value.
bool takeGlobalOption(const QStringList &arguments, qsizetype *i, GlobalOptions *options, QString *error)
{
    const QString &arg = arguments[*i];
    if (arg == u"--json") {
        options->json = true;
        return true;
    }
    if (arg == u"--dry-run") {
        options->dryRun = true;
        return true;
    }
    for (auto [name, target] : {std::pair{QStringLiteral("--root"), &options->root},
                                std::pair{QStringLiteral("--home"), &options->home}}) {
        if (arg.startsWith(name + u'=')) {
            *target = arg.mid(name.size() + 1);
            return true;
        }
        if (arg == name) {
            if (*i + 1 >= arguments.size()) {
                *error = QStringLiteral("option %1 needs a folder").arg(name);
                return true;
            }
            *target = arguments[++*i];
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<Invocation> parseCommandLine(const QStringList &arguments, QString *error)
{
    Invocation invocation;
    bool optionsEnded = false;
    bool haveCommand = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (!optionsEnded && arg == u"--") {
            optionsEnded = true;
        } else if (!optionsEnded && takeGlobalOption(arguments, &i, &invocation.options, error)) {
            if (!error->isEmpty())
                return std::nullopt;
        } else if (!optionsEnded && arg.startsWith(u"--")) {
            *error = QStringLiteral("unknown option %1").arg(arg);
            return std::nullopt;
        } else if (!haveCommand) {
            invocation.command = arg;
            haveCommand = true;
        } else {
            invocation.arguments.append(arg);
        }
    }
    if (!haveCommand) {
        *error = QStringLiteral("no command given");
        return std::nullopt;
    }
    return invocation;
}

std::span<const Command> commands()
{
    return kCommands;
}

QString usageText()
{
    QString text = QStringLiteral("usage: velmoractl [--root DIR] [--home DIR] [--json] [--dry-run] COMMAND [ARGUMENTS]\n\ncommands:\n");
    for (const Command &c : kCommands)
        text += QStringLiteral("  %1 %2\n").arg(QLatin1StringView(c.name), QLatin1StringView(c.synopsis));
    return text;
}

void printError(const QString &message)
{
    std::fprintf(stderr, "velmoractl: %s\n", message.toLocal8Bit().constData());
}

} // namespace velctl
