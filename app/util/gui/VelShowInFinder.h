#pragma once

#include <QString>

// Shows the file or folder at the path in the desktop's file manager. The
// outcome of the request is not reported: the answer is false only when no
// request could be made (an empty path).
bool showInFinder(const QString &path);
