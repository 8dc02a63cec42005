#pragma once

// velmoractl's command line: global options, then a command and its
// arguments. Each command group lives in its own file and registers a
// function here.

#include <QString>
#include <QStringList>

#include <optional>

namespace velctl {

// Exit statuses shared by every command.
enum ExitStatus { kSuccess = 0, kFailure = 1, kUsage = 2, kUnknownItem = 3, kNotEditable = 4, kSaveFailed = 5 };

// system: the bundles' own Info.plist files, for every user; user: the
// user's Services settings in ~/Library/Preferences/pbs.plist.
enum class Scope { System, User };

struct GlobalOptions {
    QString root; // --root DIR: the Mac volume
    QString home; // --home DIR: the user's home folder
    bool json = false;
    bool dryRun = false; // --dry-run: edits print the change list instead of saving
    Scope scope = Scope::System; // --scope user|system
    bool carryUserSettings = false; // --carry-user-settings: rename moves the user's entry along
};

struct Invocation {
    GlobalOptions options;
    QString command; // empty when none was named
    QStringList arguments;
    bool help = false; // -h/--help: describe the command, or every command
    bool version = false;
};

using CommandFunction = int (*)(const GlobalOptions &options, const QStringList &arguments);

struct Command {
    const char *name;
    const char *synopsis; // arguments, as shown in the usage text
    int minArguments;
    int maxArguments;
    const char *summary; // one line
    bool edits; // saves, or prints the change list under --dry-run
    CommandFunction run;
};

// Options may come before or after the command; "--" ends them. None when
// an option is unknown or lacks its value.
[[nodiscard]] std::optional<Invocation> parseCommandLine(const QStringList &arguments, QString *error);

[[nodiscard]] const Command *findCommand(const QString &name);
[[nodiscard]] bool takesArguments(const Command &command, const QStringList &arguments);

// The options and a line for every command.
[[nodiscard]] QString usageText();
// One command: its usage line, what it does and what its arguments are.
[[nodiscard]] QString commandHelpText(const Command &command);
[[nodiscard]] QString commandUsageLine(const Command &command);

// One line on standard error, prefixed with the program name.
void printError(const QString &message);

// The version in the Info.plist of the bundle velmoractl belongs to.
int printVersion();

int runHelpCommand(const GlobalOptions &options, const QStringList &arguments);
int runPlistCommand(const GlobalOptions &options, const QStringList &arguments);
int runProvidersCommand(const GlobalOptions &options, const QStringList &arguments);
int runServicesCommand(const GlobalOptions &options, const QStringList &arguments);
int runMenuCommand(const GlobalOptions &options, const QStringList &arguments);
int runStatusCommand(const GlobalOptions &options, const QStringList &arguments);
int runEnableCommand(const GlobalOptions &options, const QStringList &arguments);
int runDisableCommand(const GlobalOptions &options, const QStringList &arguments);
int runRenameCommand(const GlobalOptions &options, const QStringList &arguments);
int runShortcutCommand(const GlobalOptions &options, const QStringList &arguments);
int runEnableAllCommand(const GlobalOptions &options, const QStringList &arguments);
int runDisableAllCommand(const GlobalOptions &options, const QStringList &arguments);
int runRevertCommand(const GlobalOptions &options, const QStringList &arguments);
int runStaleCommand(const GlobalOptions &options, const QStringList &arguments);
int runPruneCommand(const GlobalOptions &options, const QStringList &arguments);
int runConflictsCommand(const GlobalOptions &options, const QStringList &arguments);

} // namespace velctl
