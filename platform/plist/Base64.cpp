#include "Base64.h"

#include <array>
#include <cstdint>

namespace plist::base64 {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr int8_t kPadding = -2;
constexpr int8_t kSpace = -3;
constexpr int8_t kInvalid = -1;

constexpr std::array<int8_t, 256> makeDecodeTable()
{
    std::array<int8_t, 256> table {};
    table.fill(kInvalid);
    for (int i = 0; i < 64; ++i)
        table[uint8_t(kAlphabet[i])] = int8_t(i);
    table[uint8_t('=')] = kPadding;
    for (const char c : {' ', '\t', '\n', '\r'})
        table[uint8_t(c)] = kSpace;
    return table;
}

constexpr std::array<int8_t, 256> kDecode = makeDecodeTable();

void appendIndent(QByteArray &out, int indent)
{
    for (int i = 0; i < indent; ++i)
        out.append('\t');
}

} // namespace

QByteArray decode(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size() / 4 * 3 + 3);
    uint32_t accumulator = 0;
    int count = 0;
    int padding = 0;
    for (const char c : text) {
        const int8_t v = kDecode[uint8_t(c)];
        if (v == kPadding)
            ++padding;
        else if (v != kSpace)
            padding = 0;
        if (v < 0 && v != kPadding)
            continue;
        accumulator = (accumulator << 6) | uint32_t(v < 0 ? 0 : v);
        if (++count % 4 == 0) {
            out.append(char(accumulator >> 16));
            if (padding < 2)
                out.append(char(accumulator >> 8));
            if (padding < 1)
                out.append(char(accumulator));
        }
    }
    return out;
}

void appendLines(QByteArray &out, QByteArrayView bytes, int indent)
{
    indent = std::min(indent, 8);
    const qsizetype lineLength = 76 - 8 * indent;
    const auto *p = reinterpret_cast<const uint8_t *>(bytes.data());
    const qsizetype n = bytes.size();
    char line[80];
    qsizetype pos = 0;
    auto flush = [&] {
        appendIndent(out, indent);
        out.append(line, pos);
        out.append('\n');
        pos = 0;
    };
    qsizetype i = 0;
    for (; i + 3 <= n; i += 3) {
        const uint32_t group = (uint32_t(p[i]) << 16) | (uint32_t(p[i + 1]) << 8) | p[i + 2];
        line[pos++] = kAlphabet[(group >> 18) & 63];
        line[pos++] = kAlphabet[(group >> 12) & 63];
        line[pos++] = kAlphabet[(group >> 6) & 63];
        line[pos++] = kAlphabet[group & 63];
        if (pos >= lineLength)
            flush();
    }
    if (n - i == 1) {
        line[pos++] = kAlphabet[p[i] >> 2];
        line[pos++] = kAlphabet[(p[i] & 3) << 4];
        line[pos++] = '=';
        line[pos++] = '=';
    } else if (n - i == 2) {
        line[pos++] = kAlphabet[p[i] >> 2];
        line[pos++] = kAlphabet[((p[i] & 3) << 4) | (p[i + 1] >> 4)];
        line[pos++] = kAlphabet[(p[i + 1] & 15) << 2];
        line[pos++] = '=';
    }
    if (pos > 0)
        flush();
}

} // namespace plist::base64
