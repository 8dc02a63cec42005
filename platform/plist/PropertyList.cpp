// Format detection: "bplist00" is binary; markup (an XML declaration,
// DOCTYPE, comment or <plist>) after an optional byte-order mark and white
// space is XML; anything else is old-style text. XML in UTF-16 is transcoded
// to UTF-8 first, whatever its declaration claims: real strings files are
// UTF-16 with a byte-order mark and a declaration that says UTF-8.

#include "PropertyList.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>

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

Value readUtf16(QByteArrayView bytes, Encoding encoding, Format *format)
{
    QStringDecoder decoder(encoding == Encoding::Utf16BE ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE);
    const QString text = decoder.decode(bytes);
    if (!startsWithMarkup(text)) {
        *format = Format::Text;
        return readText(bytes);
    }
    *format = Format::Xml;
    QStringView body = text;
    if (body.startsWith(u'\uFEFF'))
        body = body.sliced(1);
    return readXml(body.toUtf8());
}

} // namespace

Value read(QByteArrayView bytes, Format *format)
{
    Format detected = Format::Text;
    Value v;
    if (bytes.startsWith("bplist00")) {
        detected = Format::Binary;
        v = readBinary(bytes);
    } else if (const Encoding e = sniffEncoding(bytes); e != Encoding::Utf8) {
        v = readUtf16(bytes, e, &detected);
    } else if (isUtf8Markup(bytes)) {
        detected = Format::Xml;
        const bool bom = bytes.startsWith("\xEF\xBB\xBF");
        v = readXml(bom ? bytes.sliced(3) : bytes);
    } else {
        v = readText(bytes);
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

Value readFile(const QString &path, Format *format)
{
    QByteArray bytes;
    if (!readFileBytes(path, &bytes))
        return {};
    return read(bytes, format);
}

} // namespace plist
