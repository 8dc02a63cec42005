#include "VelServiceSorting.h"

#include "VelServiceCatalogue.h"
#include "VelServiceEntry.h"
#include "VelServiceKeys.h"

#include <algorithm>
#include <numeric>

namespace {

int threeWay(int comparison)
{
    return comparison < 0 ? -1 : (comparison > 0 ? 1 : 0);
}

// Names and menu paths are nearly always ASCII, which is compared here
// directly; from the first other character on, Qt compares, folding case as
// it does for ASCII too. Sorting thousands of providers compares a lot.
int compareIgnoringCase(const QString &a, const QString &b)
{
    const qsizetype common = std::min(a.size(), b.size());
    const QChar *x = a.constData();
    const QChar *y = b.constData();
    for (qsizetype i = 0; i < common; ++i) {
        char16_t cx = x[i].unicode();
        char16_t cy = y[i].unicode();
        if (cx >= 0x80 || cy >= 0x80)
            return threeWay(QStringView(a).sliced(i).compare(QStringView(b).sliced(i), Qt::CaseInsensitive));
        if (cx >= u'A' && cx <= u'Z')
            cx += u'a' - u'A';
        if (cy >= u'A' && cy <= u'Z')
            cy += u'a' - u'A';
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    return threeWay(int(a.size() > b.size()) - int(a.size() < b.size()));
}

QString sortKeyOf(const plist::DictionaryPtr &item, VelFileRepresentation *context)
{
    if (!item)
        return QString();
    if (isFolderNode(item))
        return folderNodeName(item);
    if (context)
        return context->readableMenuPathOfService(item);
    if (const VelProviderPtr owner = VelServiceCatalogue::shared().applicationForService(item))
        return owner->readableMenuPathOfService(item);
    return QString();
}

} // namespace

int VelSortApplications(const VelProviderPtr &a, const VelProviderPtr &b, void *)
{
    return compareIgnoringCase(a->name(), b->name());
}

int VelSortServices(const plist::DictionaryPtr &x, const plist::DictionaryPtr &y, VelFileRepresentation *context)
{
    return compareIgnoringCase(sortKeyOf(x, context), sortKeyOf(y, context));
}

void VelSortApplicationList(std::vector<VelProviderPtr> &providers)
{
    std::stable_sort(providers.begin(), providers.end(),
        [](const VelProviderPtr &a, const VelProviderPtr &b) { return VelSortApplications(a, b) < 0; });
}

void VelSortServiceList(const plist::ArrayPtr &items, VelFileRepresentation *context)
{
    if (!items || items->size() < 2)
        return;
    // The positions are sorted, not the values: moving variants through the
    // sort's buffer costs more than moving them once into place.
    std::vector<plist::Value> &storage = items->items();
    std::vector<QString> keys;
    keys.reserve(storage.size());
    for (const plist::Value &item : storage)
        keys.push_back(sortKeyOf(item.toDictionary(), context));
    std::vector<size_t> order(storage.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(
        order.begin(), order.end(), [&keys](size_t a, size_t b) { return compareIgnoringCase(keys[a], keys[b]) < 0; });
    std::vector<plist::Value> sorted;
    sorted.reserve(storage.size());
    for (const size_t i : order)
        sorted.push_back(std::move(storage[i]));
    storage = std::move(sorted);
}
