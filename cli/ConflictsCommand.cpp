// velmoractl conflicts: every shortcut held by more than one enabled service
// in the chosen scope, with who holds it.

#include "CatalogueLookup.h"
#include "ScopedServiceStates.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace velctl {

namespace {

QJsonObject clashJson(const VelShortcutClash &clash)
{
    QJsonArray holders;
    for (const VelShortcutHolder &h : clash.holders)
        holders.append(QJsonObject {{u"provider"_s, h.provider}, {u"path"_s, h.providerPath}, {u"title"_s, h.title},
            {u"scope"_s, h.scope}, {u"source"_s, h.source}});
    return QJsonObject {{u"pbsKeyEquivalent"_s, clash.key.pbsNotation()},
        {u"keyDescription"_s, clash.key.description()}, {u"holders"_s, holders}};
}

} // namespace

int runConflictsCommand(const GlobalOptions &options, const QStringList &)
{
    Output output;
    ScopedServiceStates states;
    if (!states.load(options, output))
        return kFailure;
    if (options.json) {
        QJsonArray clashes;
        for (const VelShortcutClash &clash : states.clashes())
            clashes.append(clashJson(clash));
        output.printJson(QJsonObject {{u"scope"_s, scopeName(options.scope)}, {u"conflicts"_s, clashes}});
        return kSuccess;
    }
    for (const VelShortcutClash &clash : states.clashes()) {
        output.out << clash.key.description() << "  " << clash.key.pbsNotation() << '\n';
        for (const VelShortcutHolder &h : clash.holders)
            output.out << "    " << h.provider << ": " << h.title << "  (" << h.scope << ", " << h.source << ")\n";
    }
    return kSuccess;
}

} // namespace velctl
