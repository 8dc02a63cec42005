#include "VelShortcutClashes.h"

#include <QHash>

std::vector<VelShortcutClash> VelFindShortcutClashes(const std::vector<VelShortcutHolder> &holders)
{
    std::vector<VelShortcutClash> groups;
    QHash<QString, size_t> groupOfKey;
    for (const VelShortcutHolder &holder : holders) {
        if (holder.key.isEmpty())
            continue;
        const QString notation = holder.key.pbsNotation();
        const auto found = groupOfKey.constFind(notation);
        if (found == groupOfKey.constEnd()) {
            groupOfKey.insert(notation, groups.size());
            groups.push_back(VelShortcutClash {holder.key, {holder}});
        } else {
            groups[*found].holders.push_back(holder);
        }
    }
    std::vector<VelShortcutClash> clashes;
    for (VelShortcutClash &group : groups) {
        if (group.holders.size() > 1)
            clashes.push_back(std::move(group));
    }
    return clashes;
}
