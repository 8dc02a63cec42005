#pragma once

// Reading and writing property lists. Every reader answers a none value on
// bad input and never crashes, hangs or recurses without bound.
//
// Reading N bytes holds at most about 40 * N bytes plus a small constant,
// whatever the bytes. In XML and text every value is spelt out in the input,
// so each costs input bytes of its own (the costliest, an empty dictionary,
// takes about 20 bytes per input byte as <dict/> and 40 as {},). A binary
// file can reference one object from many places, and a container is copied
// at each; that reader charges what it builds against the same bound and
// refuses a file that would pass it (see BinaryReader.cpp).

#include "PlistValue.h"

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace plist {

enum class Format { Xml, Binary, Text };

// Why a read failed, for people: what was wrong and where, worded the way
// CoreFoundation words it ("Expected terminating ')' for array at line 7").
// The innermost fault found is the one reported.
struct ReadError {
    QString message; // ends with " at line N" or " at byte offset N"
    qsizetype offset = -1; // into the bytes given; -1 when the bytes were never read
    int line = 0; // of an XML or text file; 0 for binary ones
};

// Format detected from the bytes: "bplist00" is binary, markup is XML
// (in UTF-8 or, with a byte-order mark, UTF-16), anything else old-style text.
// On failure *error (when given) says why; it is left alone on success.
[[nodiscard]] Value read(QByteArrayView bytes, Format *format = nullptr, ReadError *error = nullptr);
[[nodiscard]] Value readFile(const QString &path, Format *format = nullptr, ReadError *error = nullptr);

// The bytes of a regular file of at most 64 MB. Never waits on a FIFO or a
// device. On failure *error (when given) holds the errno value, so that a
// missing file (ENOENT) can be told from one that exists but is unreadable.
// The room *bytes already has is used when it is enough, so one buffer can
// serve many reads.
bool readFileBytes(const QString &path, QByteArray *bytes, int *error = nullptr);

// The single-format readers. readXml expects UTF-8 (or ASCII) bytes.
[[nodiscard]] Value readXml(QByteArrayView bytes, ReadError *error = nullptr);
[[nodiscard]] Value readBinary(QByteArrayView bytes, ReadError *error = nullptr);
// Old-style text, including strings files ("key" = "value"; without outer
// braces), in UTF-8 or UTF-16 with or without a byte-order mark.
[[nodiscard]] Value readText(QByteArrayView bytes, ReadError *error = nullptr);

// XML in the Mac's own layout. Empty when the value is or holds a none.
[[nodiscard]] QByteArray writeXml(const Value &v);
// bplist00. Empty when the value is or holds a none.
[[nodiscard]] QByteArray writeBinary(const Value &v);

// Writes through a temporary file in the same folder, flushed to disk and
// renamed into place. On failure the old file is untouched and *error says why.
// prepare (when given) is called with the new file's descriptor before the
// bytes go in, to give it an owner or mode; when it answers false with errno
// set, nothing is replaced.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr,
    const std::function<bool(int fd)> &prepare = {});
bool writeXmlFile(const Value &v, const QString &path, QString *error = nullptr);

// The old-style text form, as the Mac prints a property list in log messages.
[[nodiscard]] QString describe(const Value &v);

} // namespace plist
