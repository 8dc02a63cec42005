// Format detection: "bplist00" is binary; markup (an XML declaration,
// DOCTYPE, comment or <plist>) after an optional byte-order mark and white
// space is XML; anything else is old-style text. XML in UTF-16 is transcoded
// to UTF-8 first, whatever its declaration claims: real strings files are
// UTF-16 with a byte-order mark and a declaration that says UTF-8.

#include "PropertyList.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plist {

namespace {

constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

enum class Encoding { Utf8, Utf16LE, Utf16BE };

// The same rule as the text reader: a byte-order mark, or a zero byte among
// the first two, means UTF-16.
Encoding sniffEncoding(QByteArrayView bytes)
{
    if (bytes.size() < 2)
        return Encoding::Utf8;
    const auto b0 = uchar(bytes[0]), b1 = uchar(bytes[1]);
    if ((b0 == 0xFE && b1 == 0xFF) || b0 == 0)
        return Encoding::Utf16BE;
    if ((b0 == 0xFF && b1 == 0xFE) || b1 == 0)
        return Encoding::Utf16LE;
    return Encoding::Utf8;
}

bool sniffedMark(QByteArrayView bytes)
{
    return bytes.startsWith("\xFE\xFF") || bytes.startsWith("\xFF\xFE");
}

bool startsWithMarkup(QStringView text)
{
    if (text.startsWith(u'\uFEFF'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text[0] == u' ' || text[0] == u'\t' || text[0] == u'\n' || text[0] == u'\r'))
        text = text.sliced(1);
    return text.startsWith(u"<?xml") || text.startsWith(u"<!DOCTYPE") || text.startsWith(u"<!--")
        || text.startsWith(u"<plist");
}

bool isUtf8Markup(QByteArrayView bytes)
{
    // Only the head matters; it is ASCII in any XML property list.
    const QByteArrayView head = bytes.first(std::min<qsizetype>(bytes.size(), 256));
    return startsWithMarkup(QString::fromUtf8(head));
}

Value readUtf16(QByteArrayView bytes, Encoding encoding, Format *format, ReadError *error)
{
    QStringDecoder decoder(encoding == Encoding::Utf16BE ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE);
    const QString text = decoder.decode(bytes);
    if (!startsWithMarkup(text)) {
        *format = Format::Text;
        return readText(bytes, error);
    }
    *format = Format::Xml;
    // The decoder drops a byte-order mark; a second one is still there.
    QStringView body = text;
    qsizetype skippedUnits = sniffedMark(bytes) ? 1 : 0;
    if (body.startsWith(u'\uFEFF')) {
        body = body.sliced(1);
        ++skippedUnits;
    }
    const QByteArray utf8 = body.toUtf8();
    Value v = readXml(utf8, error);
    // The reader counted bytes of the UTF-8 copy; the caller's are UTF-16.
    if (v.isNone() && error && error->offset >= 0)
        error->offset = 2 * (skippedUnits + QString::fromUtf8(QByteArrayView(utf8).first(error->offset)).size());
    return v;
}

} // namespace

Value read(QByteArrayView bytes, Format *format, ReadError *error)
{
    Format detected = Format::Text;
    Value v;
    if (bytes.startsWith("bplist00")) {
        detected = Format::Binary;
        v = readBinary(bytes, error);
    } else if (const Encoding e = sniffEncoding(bytes); e != Encoding::Utf8) {
        v = readUtf16(bytes, e, &detected, error);
    } else if (isUtf8Markup(bytes)) {
        detected = Format::Xml;
        const bool bom = bytes.startsWith("\xEF\xBB\xBF");
        v = readXml(bom ? bytes.sliced(3) : bytes, error);
        if (v.isNone() && error && bom && error->offset >= 0)
            error->offset += 3;
    } else {
        v = readText(bytes, error);
    }
    if (format && !v.isNone())
        *format = detected;
    return v;
}

bool readFileBytes(const QString &path, QByteArray *bytes, int *error)
{
    const auto fail = [error](int code) {
        if (error)
            *error = code;
        return false;
    };
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return fail(errno);
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileSize) {
        ::close(fd);
        return fail(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    }
    bytes->resize(qsizetype(st.st_size));
    qsizetype done = 0;
    int readError = 0;
    while (done < bytes->size()) {
        const ssize_t n = ::read(fd, bytes->data() + done, size_t(bytes->size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            readError = errno;
        if (n <= 0)
            break;
        done += n;
    }
    ::close(fd);
    bytes->truncate(done);
    return readError == 0 || fail(readError);
}

Value readFile(const QString &path, Format *format, ReadError *error)
{
    QByteArray bytes;
    int readError = 0;
    if (!readFileBytes(path, &bytes, &readError)) {
        if (error) {
            *error = ReadError();
            error->message = readError == EINVAL ? QStringLiteral("Not a regular file of at most 64 MB")
                                                 : QString::fromLocal8Bit(std::strerror(readError));
        }
        return {};
    }
    return read(bytes, format, error);
}

} // namespace plist
