#pragma once

// Fills a format string from the string table: each "%@" or "%d" takes the
// next argument in order ("%d" arguments are passed already as text), and
// "%%" is a percent sign.

#include <QString>
#include <QStringList>

[[nodiscard]] QString VelFormat(const QString &format, const QStringList &arguments);
