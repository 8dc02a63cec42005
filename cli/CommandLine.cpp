#include "CommandLine.h"

#include <QCommandLineParser>

#include <algorithm>
#include <cstdio>
#include <utility>

using namespace Qt::StringLiterals;

namespace velctl {

namespace {

constexpr Command kCommands[] = {
    {"providers", "", 0, 0, "list the providers in display order", false, &runProvidersCommand},
    {"services", "PROVIDER", 1, 1, "list one provider's services", false, &runServicesCommand},
    {"menu", "", 0, 0, "print the merged Services menu as a tree", false, &runMenuCommand},
    {"status", "", 0, 0, "print \"N services\" or \"E of N services\"", false, &runStatusCommand},
    {"enable", "PROVIDER SERVICE", 2, 2, "switch one service on", true, &runEnableCommand},
    {"disable", "PROVIDER SERVICE", 2, 2, "switch one service off", true, &runDisableCommand},
    {"rename", "PROVIDER SERVICE NEW-TITLE", 3, 3, "give one service a new menu path", true, &runRenameCommand},
    {"shortcut", "PROVIDER SERVICE KEY", 3, 3, "change or remove one service's shortcut", true, &runShortcutCommand},
    {"enable-all", "[PROVIDER]", 0, 1, "switch on every editable service", true, &runEnableAllCommand},
    {"disable-all", "[PROVIDER]", 0, 1, "switch off every editable service", true, &runDisableAllCommand},
    {"revert", "[PROVIDER]", 0, 1, "restore the state before Velmora's changes", true, &runRevertCommand},
    {"stale", "", 0, 0, "list the user's settings that match no service any more", false, &runStaleCommand},
    {"prune", "", 0, 0, "remove the user's settings that match no service any more", true, &runPruneCommand},
    {"conflicts", "", 0, 0, "list the shortcuts held by more than one enabled service", false, &runConflictsCommand},
    {"plist", "FILE", 1, 1, "print any property list as XML", false, &runPlistCommand},
    {"help", "[COMMAND]", 0, 1, "describe every command, or one", false, &runHelpCommand},
};

// What each argument name of the synopses stands for; a command's help
// lists those it takes.
constexpr std::pair<const char *, const char *> kArgumentNotes[] = {
    {"PROVIDER", "a provider's name, or its path when several providers share the name"},
    {"[PROVIDER]", "a provider's name or path; every provider when left out"},
    {"SERVICE",
        "the stored menu item title, else the translated title, else the readable\n"
        "menu path (\"Text -> Word Count\"), else the menu item's own title\n"
        "(\"Word Count\") when no other service of PROVIDER has it"},
    {"NEW-TITLE", "the new menu path, \"/\" between levels (\"Text/Count Words\")"},
    {"KEY",
        "the new key equivalent, one character (an upper-case letter adds Shift),\n"
        "or in the notation of the user's settings: \"@\" Command, \"$\" Shift,\n"
        "\"~\" Option, \"^\" Control, then the key (\"@$m\"); an empty KEY removes\n"
        "the shortcut"},
    {"FILE", "a property list in XML, binary or old-style text form"},
    {"[COMMAND]", "one of the commands \"velmoractl --help\" lists"},
};

QList<QCommandLineOption> optionList()
{
    return {
        {{u"root"_s}, u"the Mac volume (default: VELMORA_ROOT, else /)"_s, u"DIR"_s},
        {{u"home"_s}, u"the user's home folder (default: VELMORA_HOME, else $HOME)"_s, u"DIR"_s},
        {{u"json"_s}, u"print results as JSON"_s},
        {{u"dry-run"_s}, u"edits print the change list they would save and change nothing"_s},
        {{u"scope"_s},
            u"system: the bundles' Info.plist files, for every user (default); user: the user's own\n"
            "Services settings in ~/Library/Preferences/pbs.plist"_s,
            u"user|system"_s},
        {{u"carry-user-settings"_s}, u"rename moves the user's settings of the service to its new title"_s},
        {{u"h"_s, u"help"_s}, u"describe every command, or the command given"_s},
        {{u"version"_s}, u"print Velmora's version"_s},
    };
}

// Two aligned columns; continuation lines of the right one stay in it.
QString columns(const QList<std::pair<QString, QString>> &rows)
{
    qsizetype width = 0;
    for (const auto &row : rows)
        width = std::max(width, row.first.size());
    const QString continuation = u'\n' + QString(width + 4, u' ');
    QString text;
    for (const auto &[left, right] : rows)
        text += u"  "_s + left.leftJustified(width + 2) + QString(right).replace(u'\n', continuation) + u'\n';
    return text;
}

} // namespace

std::optional<Invocation> parseCommandLine(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    parser.addOptions(optionList());
    // The parser skips the first argument as the program's name.
    if (!parser.parse(QStringList {u"velmoractl"_s} + arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    Invocation invocation;
    invocation.options.root = parser.value(u"root"_s);
    invocation.options.home = parser.value(u"home"_s);
    invocation.options.json = parser.isSet(u"json"_s);
    invocation.options.dryRun = parser.isSet(u"dry-run"_s);
    invocation.options.carryUserSettings = parser.isSet(u"carry-user-settings"_s);
    if (parser.isSet(u"scope"_s)) {
        const QString scope = parser.value(u"scope"_s);
        if (scope != u"user" && scope != u"system") {
            *error = u"unknown scope \"%1\": use user or system"_s.arg(scope);
            return std::nullopt;
        }
        invocation.options.scope = scope == u"user" ? Scope::User : Scope::System;
    }
    invocation.help = parser.isSet(u"help"_s);
    invocation.version = parser.isSet(u"version"_s);
    invocation.arguments = parser.positionalArguments();
    if (!invocation.arguments.isEmpty())
        invocation.command = invocation.arguments.takeFirst();
    return invocation;
}

const Command *findCommand(const QString &name)
{
    for (const Command &command : kCommands) {
        if (name == QLatin1StringView(command.name))
            return &command;
    }
    return nullptr;
}

bool takesArguments(const Command &command, const QStringList &arguments)
{
    return arguments.size() >= command.minArguments && arguments.size() <= command.maxArguments;
}

QString usageText()
{
    QList<std::pair<QString, QString>> options;
    for (const QCommandLineOption &option : optionList()) {
        QStringList names = option.names();
        for (QString &name : names)
            name.prepend(name.size() == 1 ? u"-"_s : u"--"_s);
        const QString value = option.valueName().isEmpty() ? QString() : u' ' + option.valueName();
        options.append({names.join(u", "_s) + value, option.description()});
    }
    QList<std::pair<QString, QString>> commandRows;
    for (const Command &c : kCommands)
        commandRows.append({(QLatin1StringView(c.name) + u' ' + QLatin1StringView(c.synopsis)).trimmed(),
            QLatin1StringView(c.summary)});
    return u"usage: velmoractl [OPTIONS] COMMAND [ARGUMENTS]\n\n"
           "The Services menu of a Mac volume: its providers, their services and edits.\n\n"
           "options:\n"_s
        + columns(options) + u"\ncommands:\n"_s + columns(commandRows)
        + u"\n\"velmoractl help COMMAND\" describes one command.\n"_s;
}

QString commandUsageLine(const Command &command)
{
    return (u"usage: velmoractl [OPTIONS] %1 %2"_s.arg(
                QLatin1StringView(command.name), QLatin1StringView(command.synopsis)))
        .trimmed();
}

QString commandHelpText(const Command &command)
{
    QString summary = QLatin1StringView(command.summary);
    summary[0] = summary[0].toUpper();
    QString text = commandUsageLine(command) + u"\n\n"_s + summary + u".\n"_s;
    QList<std::pair<QString, QString>> notes;
    const QStringList names = QString::fromLatin1(command.synopsis).split(u' ', Qt::SkipEmptyParts);
    for (const auto &[name, note] : kArgumentNotes) {
        if (names.contains(QLatin1StringView(name)))
            notes.append({QLatin1StringView(name), QLatin1StringView(note)});
    }
    if (!notes.isEmpty())
        text += u'\n' + columns(notes);
    if (command.edits)
        text += u"\nThe change is saved at once; with --dry-run the change list that would be\n"
                "saved (with --scope user, the pbs.plist that would be written) is printed\n"
                "instead, and nothing changes.\n"_s;
    return text;
}

void printError(const QString &message)
{
    std::fprintf(stderr, "velmoractl: %s\n", message.toLocal8Bit().constData());
}

} // namespace velctl
