#pragma once

// velmoractl run as a separate process on a copy of the sample Mac volume,
// with the outcome the tests look at.

#include <QDir>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    [[nodiscard]] QJsonDocument json() const { return QJsonDocument::fromJson(out); }
};

class SampleVolume {
public:
    SampleVolume()
    {
        m_valid = m_dir.isValid()
            && QProcess::execute(QStringLiteral("cp"),
                   {QStringLiteral("-a"), QStringLiteral(VELMORA_SOURCE_DIR "/examples/."), m_dir.path()})
                == 0;
    }
    [[nodiscard]] bool isValid() const { return m_valid; }
    [[nodiscard]] QString root() const { return m_dir.path(); }
    [[nodiscard]] QString home() const { return root() + QStringLiteral("/Users/jane"); }
    [[nodiscard]] QString path(const QString &macPath) const { return root() + macPath; }

    Run run(const QStringList &arguments,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment()) const
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VELMORA_BINARY_DIR "/bin/velmoractl"),
            QStringList {QStringLiteral("--root"), root(), QStringLiteral("--home"), home()} + arguments);
        Run result;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return result;
        result.exitCode = process.exitCode();
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
};
