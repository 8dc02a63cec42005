#include "UserSettingsOutput.h"

#include <plist/PropertyList.h>

#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace velctl {

QString userSettingsApplyHint(const QString &path)
{
    return u"On a mounted volume this takes effect at the user's next login; on a running Mac, where "
           "preferences are cached, apply it with \"defaults import pbs %1\" and "
           "\"/System/Library/CoreServices/pbs -update\"."_s.arg(path);
}

int writeUserSettings(const GlobalOptions &options, const VelPbsStatusFile &status, const QString &path, Output &output)
{
    if (options.dryRun) {
        output.out << plist::writeXml(plist::Value(status.rootDictionary()));
        return kSuccess;
    }
    if (!status.isChanged()) {
        if (options.json)
            output.printJson(QJsonObject {{u"scope"_s, u"user"_s}, {u"result"_s, u"nothing-to-save"_s}});
        else
            output.out << "nothing to save\n";
        return kSuccess;
    }
    QString error;
    if (!status.save(path, &error)) {
        if (options.json)
            output.printJson(QJsonObject {{u"scope"_s, u"user"_s}, {u"result"_s, u"failed"_s}, {u"path"_s, path}});
        output.err << "velmoractl: save failed: " << error << '\n';
        return kSaveFailed;
    }
    const QString hint = userSettingsApplyHint(path);
    if (options.json)
        output.printJson(QJsonObject {
            {u"scope"_s, u"user"_s}, {u"result"_s, u"saved"_s}, {u"path"_s, path}, {u"takesEffect"_s, hint}});
    else
        output.out << "saved " << path << '\n' << hint << '\n';
    return kSuccess;
}

} // namespace velctl
