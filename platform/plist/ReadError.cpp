#include "ReadError_p.h"

namespace plist::detail {

namespace {

bool isContinuation(uchar c)
{
    return (c & 0xC0) == 0x80;
}

template <typename Unit> int countLines(const Unit *text, qsizetype size, qsizetype offset)
{
    int line = 1;
    const qsizetype end = std::min(offset, size);
    for (qsizetype i = 0; i < end; ++i) {
        if (text[i] == Unit('\n') || (text[i] == Unit('\r') && (i + 1 >= size || text[i + 1] != Unit('\n'))))
            ++line;
    }
    return line;
}

} // namespace

// RFC 3629: no overlong forms, no surrogates, nothing past U+10FFFF.
qsizetype firstInvalidUtf8(QByteArrayView bytes)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const uchar c = b[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        uchar low = 0x80, high = 0xBF; // the range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        } else {
            return i;
        }
        if (n - i < length || b[i + 1] < low || b[i + 1] > high)
            return i;
        for (int k = 2; k < length; ++k) {
            if (!isContinuation(b[i + k]))
                return i;
        }
        i += length;
    }
    return -1;
}

int lineAt(QByteArrayView bytes, qsizetype offset)
{
    return countLines(bytes.data(), bytes.size(), offset);
}

int lineAt(QStringView text, qsizetype offset)
{
    return countLines(text.utf16(), text.size(), offset);
}

void setReadError(ReadError *error, const QString &reason, qsizetype offset, int line)
{
    if (!error)
        return;
    error->offset = offset;
    error->line = line;
    error->message = line > 0 ? QStringLiteral("%1 at line %2").arg(reason).arg(line)
                              : QStringLiteral("%1 at byte offset %2").arg(reason).arg(offset);
}

} // namespace plist::detail
