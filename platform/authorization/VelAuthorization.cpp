#include "VelAuthorization.h"

#include "log/VelLog.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <unistd.h>

#include <cerrno>

namespace {

// How long the sudo password prompt may take before it counts as refused.
constexpr int kPromptTimeoutMs = 5 * 60 * 1000;

QString findProgram(const QString &name)
{
    return QStandardPaths::findExecutable(name);
}

} // namespace

std::optional<VelAuthorization::Mode> VelAuthorization::modeFromName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String("auto"))
        return Mode::Auto;
    if (name == QLatin1String("direct"))
        return Mode::Direct;
    if (name == QLatin1String("pkexec"))
        return Mode::Pkexec;
    if (name == QLatin1String("sudo"))
        return Mode::Sudo;
    if (name == QLatin1String("deny"))
        return Mode::Deny;
    return std::nullopt;
}

std::unique_ptr<VelAuthorization> VelAuthorization::create()
{
    const QString name = qEnvironmentVariable("VELMORA_AUTHORIZATION");
    const std::optional<Mode> mode = modeFromName(name);
    if (!mode) {
        VelLog(QStringLiteral("unknown authorization mode \"%1\" in VELMORA_AUTHORIZATION").arg(name));
        return nullptr;
    }
    return std::unique_ptr<VelAuthorization>(new VelAuthorization(*mode));
}

VelAuthorization::~VelAuthorization() = default;

bool VelAllPathsWritable(const QStringList &paths)
{
    for (const QString &path : paths) {
        const QByteArray encoded = QFile::encodeName(path);
        if (::access(encoded.constData(), W_OK) == 0)
            continue;
        if (errno != ENOENT)
            return false;
    }
    return true;
}

QString VelAuthorization::askpassProgram() const
{
    if (!m_askpass.isEmpty())
        return m_askpass;
    const QString fromEnvironment = qEnvironmentVariable("SUDO_ASKPASS");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    for (const char *name : {"ssh-askpass", "ksshaskpass", "lxqt-openssh-askpass", "ssh-askpass-gnome"}) {
        const QString found = findProgram(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    const QString classic = QStringLiteral("/usr/lib/ssh/x11-ssh-askpass");
    return QFile::exists(classic) ? classic : QString();
}

bool VelAuthorization::validateSudo() const
{
    const QString sudo = findProgram(QStringLiteral("sudo"));
    const QString askpass = askpassProgram();
    if (sudo.isEmpty() || askpass.isEmpty())
        return false;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SUDO_ASKPASS"), askpass);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(sudo, {QStringLiteral("-A"), QStringLiteral("-v")});
    return process.waitForFinished(kPromptTimeoutMs) && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

bool VelAuthorization::copyRights(const QStringList &pathsToWrite)
{
    m_granted.reset();
    switch (m_requested) {
    case Mode::Deny:
        return false;
    case Mode::Auto:
        m_granted = ::geteuid() == 0 || VelAllPathsWritable(pathsToWrite) ? Mode::Direct : Mode::Pkexec;
        break;
    case Mode::Direct:
        m_granted = Mode::Direct;
        break;
    case Mode::Pkexec:
        m_granted = Mode::Pkexec;
        break;
    case Mode::Sudo:
        if (!validateSudo())
            return false;
        m_granted = Mode::Sudo;
        break;
    }
    // polkit asks when the tool starts; a refusal there ends it without output.
    if (m_granted == Mode::Pkexec && findProgram(QStringLiteral("pkexec")).isEmpty()) {
        m_granted.reset();
        return false;
    }
    return true;
}

bool VelAuthorization::rightsKnownBeforeStart() const
{
    return m_granted && *m_granted != Mode::Pkexec;
}

std::unique_ptr<QProcess> VelAuthorization::executeWithPrivileges(const QString &toolPath, const QStringList &arguments)
{
    if (!m_granted)
        return nullptr;
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QString program = toolPath;
    QStringList programArguments = arguments;
    // The tool itself is what pkexec and sudo elevate, so the password dialog
    // and a polkit action name it. Both clear the environment: whatever the
    // tool needs to know comes as arguments.
    switch (*m_granted) {
    case Mode::Pkexec:
        program = findProgram(QStringLiteral("pkexec"));
        programArguments = QStringList {toolPath} + arguments;
        break;
    case Mode::Sudo:
        environment.insert(QStringLiteral("SUDO_ASKPASS"), askpassProgram());
        program = findProgram(QStringLiteral("sudo"));
        programArguments = QStringList {QStringLiteral("-A"), QStringLiteral("--"), toolPath} + arguments;
        break;
    default:
        break;
    }
    process->setProcessEnvironment(environment);
    process->start(program, programArguments, QIODevice::ReadOnly);
    if (!process->waitForStarted())
        return nullptr;
    return process;
}
