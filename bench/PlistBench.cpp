// plist-bench DIR...: parses every file below the folders with the
// project's property-list readers and prints the throughput.
#include "BenchFiles.h"

#include "plist/PropertyList.h"

int main(int argc, char **argv)
{
    return bench::run(argc, argv, [](const QByteArray &bytes) { return !plist::read(bytes).isNone(); });
}
