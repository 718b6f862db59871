// The basic URL parser of the URL standard, without a state override: one function a state,
// each taking the code point at the pointer (EndOfInput past the end) and saying whether the
// input may still be a URL.
#include "browser/builtin/dom/Url.h"

#include "browser/builtin/dom/AsciiText.h"
#include "browser/builtin/dom/PercentEncoding.h"
#include "browser/builtin/dom/UrlHost.h"

namespace dom {
namespace {

constexpr int EndOfInput = -1;

[[nodiscard]] bool isAsciiAlpha(int c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

[[nodiscard]] bool isAsciiDigit(int c)
{
    return c >= '0' && c <= '9';
}

[[nodiscard]] bool isWindowsDriveLetter(QStringView text)
{
    return text.size() == 2 && isAsciiAlpha(text[0].unicode()) && (text[1] == u':' || text[1] == u'|');
}

[[nodiscard]] bool isNormalizedWindowsDriveLetter(QStringView text)
{
    return isWindowsDriveLetter(text) && text[1] == u':';
}

[[nodiscard]] bool isSingleDotSegment(QStringView segment)
{
    return segment == u"." || segment.compare(u"%2e", Qt::CaseInsensitive) == 0;
}

[[nodiscard]] bool isDoubleDotSegment(QStringView segment)
{
    return segment == u".." || segment.compare(u".%2e", Qt::CaseInsensitive) == 0
        || segment.compare(u"%2e.", Qt::CaseInsensitive) == 0 || segment.compare(u"%2e%2e", Qt::CaseInsensitive) == 0;
}

// The input with leading and trailing C0 controls and spaces, and every tab and line break, removed.
[[nodiscard]] QStringView cleanedInput(QStringView input, QString &storage)
{
    qsizetype start = 0;
    qsizetype end = input.size();
    while (start < end && input[start].unicode() <= 0x20)
        ++start;
    while (end > start && input[end - 1].unicode() <= 0x20)
        --end;
    input = input.sliced(start, end - start);
    if (!input.contains(u'\t') && !input.contains(u'\n') && !input.contains(u'\r'))
        return input;
    storage = input.toString();
    storage.remove(u'\t').remove(u'\n').remove(u'\r');
    return storage;
}

class UrlParser {
public:
    UrlParser(QStringView input, const Url *base, QByteArrayView queryEncoding)
        : m_input(input), m_base(base), m_queryEncoding(queryEncoding)
    {
    }

    [[nodiscard]] std::optional<Url> run()
    {
        for (;; ++m_pointer) {
            if (!step(at(m_pointer)))
                return std::nullopt;
            if (m_pointer >= m_input.size())
                return std::move(m_url);
        }
    }

private:
    enum class State : quint8 {
        SchemeStart, Scheme, NoScheme, SpecialRelativeOrAuthority, PathOrAuthority, Relative, RelativeSlash,
        SpecialAuthoritySlashes, SpecialAuthorityIgnoreSlashes, Authority, Host, Port, File, FileSlash, FileHost,
        PathStart, Path, OpaquePath, Query, Fragment
    };

    [[nodiscard]] int at(qsizetype index) const
    {
        return index >= 0 && index < m_input.size() ? m_input[index].unicode() : EndOfInput;
    }

    [[nodiscard]] bool step(int c)
    {
        switch (m_state) {
        case State::SchemeStart: return schemeStart(c);
        case State::Scheme: return scheme(c);
        case State::NoScheme: return noScheme(c);
        case State::SpecialRelativeOrAuthority: return specialRelativeOrAuthority(c);
        case State::PathOrAuthority: return pathOrAuthority(c);
        case State::Relative: return relative(c);
        case State::RelativeSlash: return relativeSlash(c);
        case State::SpecialAuthoritySlashes: return specialAuthoritySlashes(c);
        case State::SpecialAuthorityIgnoreSlashes: return specialAuthorityIgnoreSlashes(c);
        case State::Authority: return authority(c);
        case State::Host: return host(c);
        case State::Port: return port(c);
        case State::File: return file(c);
        case State::FileSlash: return fileSlash(c);
        case State::FileHost: return fileHost(c);
        case State::PathStart: return pathStart(c);
        case State::Path: return path(c);
        case State::OpaquePath: return opaquePath(c);
        case State::Query: return query(c);
        case State::Fragment: return fragment(c);
        }
        return false;
    }

    // The states that collect a buffer take a run of the input as it is: the buffer is that run.
    void appendToBuffer()
    {
        if (m_bufferLength == 0)
            m_bufferStart = m_pointer;
        ++m_bufferLength;
    }
    [[nodiscard]] QStringView buffer() const { return m_input.sliced(m_bufferStart, m_bufferLength); }
    void clearBuffer() { m_bufferLength = 0; }

    [[nodiscard]] bool isSpecialSlash(int c) const { return c == '/' || (m_special && c == '\\'); }
    [[nodiscard]] bool endsAuthority(int c) const
    {
        return c == EndOfInput || isSpecialSlash(c) || c == '?' || c == '#';
    }
    [[nodiscard]] bool baseIsFile() const { return m_base && m_base->scheme == u"file"; }

    // "Starts with a Windows drive letter": the rest of the input from the pointer.
    [[nodiscard]] bool restStartsWithWindowsDriveLetter() const
    {
        const int third = at(m_pointer + 2);
        return isWindowsDriveLetter(m_input.sliced(m_pointer, std::min<qsizetype>(2, m_input.size() - m_pointer)))
            && (third == EndOfInput || third == '/' || third == '\\' || third == '?' || third == '#');
    }

    // The code point at the pointer (both halves of a surrogate pair) percent-encoded.
    void appendCodePoint(QString &out, PercentEncodeSet set)
    {
        const qsizetype length =
            m_input[m_pointer].isHighSurrogate() && at(m_pointer + 1) >= 0 && m_input[m_pointer + 1].isLowSurrogate() ? 2 : 1;
        appendPercentEncoded(out, m_input.sliced(m_pointer, length), set);
        m_pointer += length - 1;
    }

    void setScheme(QString scheme)
    {
        m_url.scheme = std::move(scheme);
        m_special = m_url.isSpecial();
    }

    void startQuery()
    {
        m_url.query = QString();
        m_state = State::Query;
    }

    void startFragment()
    {
        m_url.fragment = QString();
        m_state = State::Fragment;
    }

    void takeBaseAuthority()
    {
        m_url.username = m_base->username;
        m_url.password = m_base->password;
        m_url.host = m_base->host;
        m_url.port = m_base->port;
    }

    // The base's path and query stay unless the input brings a query, a fragment or a path of its
    // own; that path is read against the base's, or from the root.
    void continueFromBasePath(int c, bool fromRoot)
    {
        m_url.path = m_base->path;
        m_url.query = m_base->query;
        if (c == '?') {
            startQuery();
        } else if (c == '#') {
            startFragment();
        } else if (c != EndOfInput) {
            m_url.query.reset();
            if (fromRoot)
                m_url.path.clear();
            else
                shortenPath();
            m_state = State::Path;
            --m_pointer;
        }
    }

    // "Shorten a path": its last segment goes, but a file URL's lone drive letter stays.
    void shortenPath()
    {
        const qsizetype lastSlash = m_url.path.lastIndexOf(u'/');
        if (m_url.scheme == u"file" && lastSlash == 0 && isNormalizedWindowsDriveLetter(QStringView(m_url.path).sliced(1)))
            return;
        if (lastSlash >= 0)
            m_url.path.truncate(lastSlash);
    }

    bool schemeStart(int c)
    {
        // An ASCII letter starts a scheme; anything else is read without one, from the start.
        m_state = isAsciiAlpha(c) ? State::Scheme : State::NoScheme;
        if (m_state == State::NoScheme)
            --m_pointer;
        return true;
    }

    bool scheme(int c)
    {
        if (isAsciiAlpha(c) || isAsciiDigit(c) || c == '+' || c == '-' || c == '.')
            return true;
        if (c != ':') {
            // No scheme after all: start over.
            m_state = State::NoScheme;
            m_pointer = -1;
            return true;
        }
        setScheme(asciiLowercase(m_input.first(m_pointer).toString()));
        if (m_url.scheme == u"file") {
            m_state = State::File;
        } else if (m_special) {
            m_state = m_base && m_base->scheme == m_url.scheme ? State::SpecialRelativeOrAuthority
                                                               : State::SpecialAuthoritySlashes;
        } else if (at(m_pointer + 1) == '/') {
            m_state = State::PathOrAuthority;
            ++m_pointer;
        } else {
            m_url.hasOpaquePath = true;
            m_state = State::OpaquePath;
        }
        return true;
    }

    bool noScheme(int c)
    {
        // Without a scheme the input needs a base; a base with an opaque path takes only a fragment.
        if (!m_base || (m_base->hasOpaquePath && c != '#'))
            return false;
        if (m_base->hasOpaquePath) {
            setScheme(m_base->scheme);
            m_url.path = m_base->path;
            m_url.hasOpaquePath = true;
            m_url.query = m_base->query;
            startFragment();
            return true;
        }
        m_state = baseIsFile() ? State::File : State::Relative;
        --m_pointer;
        return true;
    }

    bool specialRelativeOrAuthority(int c)
    {
        if (c == '/' && at(m_pointer + 1) == '/') {
            m_state = State::SpecialAuthorityIgnoreSlashes;
            ++m_pointer;
        } else {
            m_state = State::Relative;
            --m_pointer;
        }
        return true;
    }

    bool pathOrAuthority(int c)
    {
        m_state = c == '/' ? State::Authority : State::Path;
        if (c != '/')
            --m_pointer;
        return true;
    }

    bool relative(int c)
    {
        setScheme(m_base->scheme);
        if (isSpecialSlash(c)) {
            m_state = State::RelativeSlash;
            return true;
        }
        // The base's URL, up to what the input changes of it.
        takeBaseAuthority();
        continueFromBasePath(c, false);
        return true;
    }

    bool relativeSlash(int c)
    {
        if (m_special && (c == '/' || c == '\\')) {
            m_state = State::SpecialAuthorityIgnoreSlashes;
        } else if (c == '/') {
            m_state = State::Authority;
        } else {
            takeBaseAuthority();
            m_state = State::Path;
            --m_pointer;
        }
        return true;
    }

    bool specialAuthoritySlashes(int c)
    {
        m_state = State::SpecialAuthorityIgnoreSlashes;
        if (c == '/' && at(m_pointer + 1) == '/')
            ++m_pointer;
        else
            --m_pointer;
        return true;
    }

    bool specialAuthorityIgnoreSlashes(int c)
    {
        if (c != '/' && c != '\\') {
            m_state = State::Authority;
            --m_pointer;
        }
        return true;
    }

    bool authority(int c)
    {
        if (c == '@') {
            // What came before the last '@' is the user information: a name, then after the
            // first ':' a password; an earlier '@' is part of it.
            if (m_atSignSeen)
                (m_passwordTokenSeen ? m_url.password : m_url.username) += QLatin1StringView("%40");
            m_atSignSeen = true;
            const QStringView userinfo = buffer();
            for (qsizetype i = 0; i < userinfo.size();) {
                if (userinfo[i] == u':' && !m_passwordTokenSeen) {
                    m_passwordTokenSeen = true;
                    ++i;
                    continue;
                }
                const qsizetype colon = m_passwordTokenSeen ? -1 : userinfo.indexOf(u':', i);
                const qsizetype end = colon < 0 ? userinfo.size() : colon;
                appendPercentEncoded(m_passwordTokenSeen ? m_url.password : m_url.username, userinfo.sliced(i, end - i),
                                     PercentEncodeSet::Userinfo);
                i = end;
            }
            clearBuffer();
            return true;
        }
        if (endsAuthority(c)) {
            // The host and port follow the user information: read them again as such.
            if (m_atSignSeen && m_bufferLength == 0)
                return false;
            m_pointer -= m_bufferLength + 1;
            clearBuffer();
            m_state = State::Host;
            return true;
        }
        appendToBuffer();
        return true;
    }

    bool host(int c)
    {
        if (c == ':' && !m_insideBrackets) {
            if (m_bufferLength == 0)
                return false;
            m_state = State::Port;
            return takeHost();
        }
        if (endsAuthority(c)) {
            --m_pointer;
            if (m_special && m_bufferLength == 0)
                return false;
            m_state = State::PathStart;
            return takeHost();
        }
        if (c == '[')
            m_insideBrackets = true;
        if (c == ']')
            m_insideBrackets = false;
        appendToBuffer();
        return true;
    }

    [[nodiscard]] bool takeHost()
    {
        m_url.host = parseHost(buffer(), m_special ? HostSyntax::Domain : HostSyntax::Opaque);
        clearBuffer();
        return m_url.host.has_value();
    }

    bool port(int c)
    {
        if (isAsciiDigit(c)) {
            appendToBuffer();
            return true;
        }
        if (!endsAuthority(c))
            return false;
        if (m_bufferLength > 0) {
            int number = 0;
            for (const QChar digit : buffer()) {
                number = number * 10 + (digit.unicode() - '0');
                if (number > 65535)
                    return false;
            }
            // The scheme's default port is not kept.
            if (specialSchemePort(m_url.scheme) == number)
                m_url.port.reset();
            else
                m_url.port = quint16(number);
            clearBuffer();
        }
        m_state = State::PathStart;
        --m_pointer;
        return true;
    }

    bool file(int c)
    {
        setScheme(QStringLiteral("file"));
        m_url.host = QString();
        if (c == '/' || c == '\\') {
            m_state = State::FileSlash;
            return true;
        }
        if (!baseIsFile()) {
            m_state = State::Path;
            --m_pointer;
            return true;
        }
        m_url.host = m_base->host;
        // A drive letter starts a path of its own.
        continueFromBasePath(c, restStartsWithWindowsDriveLetter());
        return true;
    }

    bool fileSlash(int c)
    {
        if (c == '/' || c == '\\') {
            m_state = State::FileHost;
            return true;
        }
        if (baseIsFile()) {
            m_url.host = m_base->host;
            // A path from the root keeps the base's drive letter.
            const QStringView basePath = m_base->path;
            const QStringView firstSegment = basePath.size() >= 3 ? basePath.sliced(1, 2) : QStringView();
            if (!restStartsWithWindowsDriveLetter() && isNormalizedWindowsDriveLetter(firstSegment)
                && (basePath.size() == 3 || basePath[3] == u'/')) {
                m_url.path += u'/';
                m_url.path += firstSegment;
            }
        }
        m_state = State::Path;
        --m_pointer;
        return true;
    }

    bool fileHost(int c)
    {
        if (!(c == EndOfInput || c == '/' || c == '\\' || c == '?' || c == '#')) {
            appendToBuffer();
            return true;
        }
        --m_pointer;
        if (isWindowsDriveLetter(buffer())) {
            // "file://C:/" names no host: the drive letter starts the path.
            m_segmentStart = m_url.path.size();
            m_url.path += u'/';
            m_url.path += buffer();
            clearBuffer();
            m_state = State::Path;
            return true;
        }
        m_state = State::PathStart;
        if (m_bufferLength == 0) {
            m_url.host = QString();
            return true;
        }
        if (!takeHost())
            return false;
        if (m_url.host == u"localhost")
            m_url.host = QString();
        return true;
    }

    bool pathStart(int c)
    {
        if (m_special) {
            m_state = State::Path;
            if (c != '/' && c != '\\')
                --m_pointer;
        } else if (c == '?') {
            startQuery();
        } else if (c == '#') {
            startFragment();
        } else if (c != EndOfInput) {
            m_state = State::Path;
            if (c != '/')
                --m_pointer;
        }
        return true;
    }

    bool path(int c)
    {
        // The segment is written into the path as it is read, after its '/'.
        if (m_segmentStart < 0) {
            m_segmentStart = m_url.path.size();
            m_url.path += u'/';
        }
        const bool slash = isSpecialSlash(c);
        if (!(c == EndOfInput || slash || c == '?' || c == '#')) {
            appendCodePoint(m_url.path, PercentEncodeSet::Path);
            return true;
        }
        const qsizetype segmentStart = std::exchange(m_segmentStart, -1);
        const QStringView segment = QStringView(m_url.path).sliced(segmentStart + 1);
        if (isDoubleDotSegment(segment)) {
            // ".." takes away the segment before it; at the end it leaves the path ending in '/'.
            m_url.path.truncate(segmentStart);
            shortenPath();
            if (!slash)
                m_url.path += u'/';
        } else if (isSingleDotSegment(segment)) {
            m_url.path.truncate(segmentStart);
            if (!slash)
                m_url.path += u'/';
        } else if (m_url.scheme == u"file" && segmentStart == 0 && isWindowsDriveLetter(segment)) {
            m_url.path[2] = u':';
        }
        if (c == '?')
            startQuery();
        else if (c == '#')
            startFragment();
        return true;
    }

    bool opaquePath(int c)
    {
        if (c == '?') {
            startQuery();
        } else if (c == '#') {
            startFragment();
        } else if (c == ' ') {
            // A space before the query or the fragment would be lost to trimming: it is escaped.
            const int next = at(m_pointer + 1);
            m_url.path += next == '?' || next == '#' ? QLatin1StringView("%20") : QLatin1StringView(" ");
        } else if (c != EndOfInput) {
            appendCodePoint(m_url.path, PercentEncodeSet::C0Control);
        }
        return true;
    }

    bool query(int c)
    {
        if (c != EndOfInput && c != '#') {
            appendToBuffer();
            return true;
        }
        // Special URLs but WebSocket ones write their query in the document's encoding.
        const bool inDocumentEncoding = m_special && m_url.scheme != u"ws" && m_url.scheme != u"wss";
        appendPercentEncodedAfterEncoding(*m_url.query, buffer(), inDocumentEncoding ? m_queryEncoding : Utf8Encoding,
                                          m_special ? PercentEncodeSet::SpecialQuery : PercentEncodeSet::Query);
        clearBuffer();
        if (c == '#')
            startFragment();
        return true;
    }

    bool fragment(int c)
    {
        if (c != EndOfInput)
            appendCodePoint(*m_url.fragment, PercentEncodeSet::Fragment);
        return true;
    }

    const QStringView m_input;
    const Url *const m_base;
    const QByteArrayView m_queryEncoding;
    Url m_url;
    State m_state = State::SchemeStart;
    qsizetype m_pointer = 0;
    qsizetype m_bufferStart = 0;
    qsizetype m_bufferLength = 0;
    qsizetype m_segmentStart = -1; // where the path segment being read starts, at its '/'
    bool m_special = false;
    bool m_atSignSeen = false;
    bool m_insideBrackets = false;
    bool m_passwordTokenSeen = false;
};

} // namespace

std::optional<Url> Url::parse(QStringView input, const Url *base, QByteArrayView queryEncoding)
{
    QString storage;
    return UrlParser(cleanedInput(input, storage), base, queryEncoding).run();
}

} // namespace dom
