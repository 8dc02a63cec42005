#pragma once

// Administrator rights and the privileged start of a tool, with the outcomes
// of the Mac's Authorization Services: a reference is created
// (AuthorizationCreate), the right "system.privilege.admin" is requested and
// may be refused (AuthorizationCopyRights), the tool is started with it and
// its standard output is read as a stream (AuthorizationExecuteWithPrivileges),
// and the reference is released with the object (AuthorizationFree).
//
// How the right is obtained comes from VELMORA_AUTHORIZATION:
//   auto    (default) direct when already root or when every path to write is
//           writable by the user, otherwise pkexec
//   direct  the tool runs as the user
//   pkexec  polkit asks for the password when the tool starts
//   sudo    sudo -A, the password asked by the askpass helper (SUDO_ASKPASS
//           when set, else the first ssh-askpass style program found)
//   deny    the user cancels: the right is never granted

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class VelAuthorization {
public:
    enum class Mode { Auto, Direct, Pkexec, Sudo, Deny };

    // None for an unknown VELMORA_AUTHORIZATION value (logged): the reference
    // cannot be created.
    [[nodiscard]] static std::unique_ptr<VelAuthorization> create();
    [[nodiscard]] static std::optional<Mode> modeFromName(const QString &name);

    VelAuthorization(const VelAuthorization &) = delete;
    VelAuthorization &operator=(const VelAuthorization &) = delete;
    ~VelAuthorization();

    // Asks for the right. The auto mode decides here between running
    // directly and pkexec, by the paths the tool is going to write.
    // False when the user cancelled or could not be asked.
    [[nodiscard]] bool copyRights(const QStringList &pathsToWrite);

    // Starts the tool itself with the right and the arguments, standard
    // error passed through. Elevation may clear the environment, so the tool
    // must learn what it needs from its arguments. None when it could not be
    // started or the right was never granted. Under pkexec the password is
    // asked only now, by the system's agent; a refusal ends the process
    // without output.
    [[nodiscard]] std::unique_ptr<QProcess> executeWithPrivileges(
        const QString &toolPath, const QStringList &arguments);

    // Whether copyRights already settled that the tool will run with the
    // right (direct, sudo), rather than its start asking for it (pkexec).
    [[nodiscard]] bool rightsKnownBeforeStart() const;

    [[nodiscard]] Mode requestedMode() const { return m_requested; }
    // After copyRights: Direct, Pkexec or Sudo.
    [[nodiscard]] std::optional<Mode> grantedMode() const { return m_granted; }

    // The askpass helper for the sudo mode; empty means search.
    void setAskpassProgram(const QString &path) { m_askpass = path; }
    [[nodiscard]] QString askpassProgram() const;

private:
    explicit VelAuthorization(Mode mode)
        : m_requested(mode)
    {
    }

    [[nodiscard]] bool validateSudo() const;

    Mode m_requested;
    std::optional<Mode> m_granted;
    QString m_askpass;
};

// Whether the user may write every existing path of the list (missing ones
// are skipped: their folder is in the list too).
[[nodiscard]] bool VelAllPathsWritable(const QStringList &paths);
