// TidyWorker: started by Velmora with administrator rights and the argument
// "-go" to write the prepared Info.plist files. Arguments are not examined.

#include "TidyWorker.h"
#include "WorkerLog.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

int main(int argc, char *argv[])
{
    prepareWorkerProcess();
    if (argc > 0)
        setWorkerLogProcessName(QFileInfo(QFile::decodeName(argv[0])).fileName());
    QFile out;
    if (!out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return TidyWorkerWriteFailed;
    return runTidyWorker(TidyWorkerOptions::fromEnvironment(), out);
}
