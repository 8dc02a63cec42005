// TidyWorker: started by Velmora with administrator rights and the arguments
// "-go --home DIR" to write the prepared Info.plist files. Only the home
// folder is read from the arguments.

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
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    QFile out;
    if (!out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return TidyWorkerWriteFailed;
    return runTidyWorker(TidyWorkerOptions::fromArguments(arguments), out);
}
