#include "browser/builtin/dom/UrlHost.h"

#include "browser/builtin/dom/AsciiText.h"
#include "browser/builtin/dom/PercentEncoding.h"

#include <QList>
#include <QUrl>

#include <algorithm>
#include <array>

namespace dom {
namespace {

// Numbers of an IPv4 address are compared with at most 2^32; larger ones stop growing here.
constexpr quint64 Ipv4NumberCap = quint64(1) << 40;

[[nodiscard]] bool isForbiddenHostCodePoint(QChar c)
{
    switch (c.unicode()) {
    case 0x00: case '\t': case '\n': case '\r': case ' ': case '#': case '/': case ':': case '<': case '>': case '?':
    case '@': case '[': case '\\': case ']': case '^': case '|': return true;
    default: return false;
    }
}

[[nodiscard]] bool isForbiddenDomainCodePoint(QChar c)
{
    return isForbiddenHostCodePoint(c) || c.unicode() < 0x20 || c == u'%' || c.unicode() == 0x7F;
}

[[nodiscard]] int digitValue(QChar c, int radix)
{
    const char16_t u = c.unicode();
    int value = -1;
    if (u >= '0' && u <= '9')
        value = u - '0';
    else if (u >= 'a' && u <= 'f')
        value = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        value = u - 'A' + 10;
    return value < radix ? value : -1;
}

// The IPv4 number parser: decimal, "0x" hexadecimal or "0" octal.
[[nodiscard]] std::optional<quint64> parseIpv4Number(QStringView input)
{
    if (input.isEmpty())
        return std::nullopt;
    int radix = 10;
    if (input.size() >= 2 && input[0] == u'0' && (input[1] == u'x' || input[1] == u'X')) {
        input = input.sliced(2);
        radix = 16;
    } else if (input.size() >= 2 && input[0] == u'0') {
        input = input.sliced(1);
        radix = 8;
    }
    quint64 value = 0;
    for (const QChar c : input) {
        const int digit = digitValue(c, radix);
        if (digit < 0)
            return std::nullopt;
        value = std::min(value * quint64(radix) + quint64(digit), Ipv4NumberCap);
    }
    return value;
}

// "Ends in a number": the last label (before a final dot) is all digits or an IPv4 number.
[[nodiscard]] bool endsInANumber(QStringView domain)
{
    if (domain.endsWith(u'.'))
        domain.chop(1);
    const QStringView last = domain.sliced(domain.lastIndexOf(u'.') + 1);
    if (!last.isEmpty() && std::all_of(last.begin(), last.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return true;
    return parseIpv4Number(last).has_value();
}

// The IPv4 parser, serialised as four decimal numbers.
[[nodiscard]] std::optional<QString> parseIpv4(QStringView input)
{
    QList<QStringView> parts = input.split(u'.');
    if (parts.last().isEmpty() && parts.size() > 1)
        parts.removeLast();
    if (parts.size() > 4)
        return std::nullopt;
    std::array<quint64, 4> numbers{};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const auto number = parseIpv4Number(parts[i]);
        if (!number || (i + 1 < parts.size() && *number > 255))
            return std::nullopt;
        numbers[size_t(i)] = *number;
    }
    const quint64 last = numbers[size_t(parts.size() - 1)];
    if (last >= quint64(1) << (8 * (5 - parts.size())))
        return std::nullopt;
    quint64 address = last;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i)
        address += numbers[size_t(i)] << (8 * (3 - i));
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

using Ipv6Address = std::array<quint16, 8>;

// The IPv6 parser: eight pieces, "::" for a run of zeros, an IPv4 address for the last two.
[[nodiscard]] std::optional<Ipv6Address> parseIpv6(QStringView input)
{
    Ipv6Address address{};
    int pieceIndex = 0;
    int compress = -1;
    qsizetype pointer = 0;
    const auto at = [&](qsizetype i) { return i < input.size() ? input[i].unicode() : char16_t(0xFFFF); };
    if (at(0) == u':') {
        if (at(1) != u':')
            return std::nullopt;
        pointer += 2;
        compress = ++pieceIndex;
    }
    while (pointer < input.size()) {
        if (pieceIndex == 8)
            return std::nullopt;
        if (at(pointer) == u':') {
            if (compress >= 0)
                return std::nullopt;
            ++pointer;
            compress = ++pieceIndex;
            continue;
        }
        int value = 0;
        int length = 0;
        for (int digit; length < 4 && (digit = digitValue(QChar(at(pointer)), 16)) >= 0; ++length, ++pointer)
            value = value * 16 + digit;
        if (at(pointer) == u'.') {
            // An IPv4 address in the last two pieces.
            if (length == 0 || pieceIndex > 6)
                return std::nullopt;
            pointer -= length;
            int numbersSeen = 0;
            while (pointer < input.size()) {
                if (numbersSeen > 0) {
                    if (at(pointer) != u'.' || numbersSeen >= 4)
                        return std::nullopt;
                    ++pointer;
                }
                if (digitValue(QChar(at(pointer)), 10) < 0)
                    return std::nullopt;
                int piece = -1;
                for (int digit; (digit = digitValue(QChar(at(pointer)), 10)) >= 0; ++pointer) {
                    if (piece == 0)
                        return std::nullopt;
                    piece = piece < 0 ? digit : piece * 10 + digit;
                    if (piece > 255)
                        return std::nullopt;
                }
                address[size_t(pieceIndex)] = quint16(address[size_t(pieceIndex)] * 0x100 + piece);
                if (++numbersSeen == 2 || numbersSeen == 4)
                    ++pieceIndex;
            }
            if (numbersSeen != 4)
                return std::nullopt;
            break;
        }
        if (at(pointer) == u':') {
            if (++pointer == input.size())
                return std::nullopt;
        } else if (pointer < input.size()) {
            return std::nullopt;
        }
        address[size_t(pieceIndex++)] = quint16(value);
    }
    if (compress >= 0) {
        int swaps = pieceIndex - compress;
        for (pieceIndex = 7; pieceIndex != 0 && swaps > 0; --pieceIndex, --swaps)
            std::swap(address[size_t(pieceIndex)], address[size_t(compress + swaps - 1)]);
    } else if (pieceIndex != 8) {
        return std::nullopt;
    }
    return address;
}

// The IPv6 serializer: lower-case hexadecimal pieces, the first longest run of two or more zero
// pieces written "::".
[[nodiscard]] QString serializeIpv6(const Ipv6Address &address)
{
    int compress = -1;
    int longest = 1;
    for (int start = 0; start < 8;) {
        int end = start;
        while (end < 8 && address[size_t(end)] == 0)
            ++end;
        if (end - start > longest) {
            longest = end - start;
            compress = start;
        }
        start = end + 1;
    }
    QString output = QStringLiteral("[");
    for (int piece = 0; piece < 8; ++piece) {
        if (piece == compress) {
            output += piece == 0 ? QLatin1StringView("::") : QLatin1StringView(":");
            piece += longest - 1;
            continue;
        }
        output += QString::number(address[size_t(piece)], 16);
        if (piece != 7)
            output += u':';
    }
    return output + u']';
}

// "Domain to ASCII" without strictness. An ASCII domain with no punycode label only needs its
// letters lowered; any other goes through Qt's UTS #46 processing.
[[nodiscard]] std::optional<QString> domainToAscii(const QString &domain)
{
    const bool ascii = std::all_of(domain.begin(), domain.end(), [](QChar c) { return c.unicode() < 0x80; });
    const bool punycode = domain.startsWith(QLatin1StringView("xn--"), Qt::CaseInsensitive)
        || domain.contains(QLatin1StringView(".xn--"), Qt::CaseInsensitive);
    const QString result = ascii && !punycode ? asciiLowercase(domain) : QString::fromLatin1(QUrl::toAce(domain));
    if (result.isEmpty() || std::any_of(result.begin(), result.end(), isForbiddenDomainCodePoint))
        return std::nullopt;
    return result;
}

} // namespace

std::optional<QString> parseHost(QStringView input, HostSyntax syntax)
{
    // 1. An IPv6 address in brackets.
    if (input.startsWith(u'[')) {
        if (!input.endsWith(u']'))
            return std::nullopt;
        const auto address = parseIpv6(input.sliced(1, input.size() - 2));
        return address ? std::optional<QString>(serializeIpv6(*address)) : std::nullopt;
    }
    // 2. The opaque-host parser.
    if (syntax == HostSyntax::Opaque) {
        if (std::any_of(input.begin(), input.end(), isForbiddenHostCodePoint))
            return std::nullopt;
        QString host;
        appendPercentEncoded(host, input, PercentEncodeSet::C0Control);
        return host;
    }
    // 4 to 6. The percent-decoded text as a domain, in ASCII.
    const auto asciiDomain = domainToAscii(QString::fromUtf8(percentDecode(input)));
    if (!asciiDomain)
        return std::nullopt;
    // 7. A domain whose last label is a number is an IPv4 address, or nothing.
    if (endsInANumber(*asciiDomain))
        return parseIpv4(*asciiDomain);
    return asciiDomain;
}

} // namespace dom
