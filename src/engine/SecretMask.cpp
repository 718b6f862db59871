#include "engine/SecretMask.h"

#include "engine/ScriptText.h"

#include <QByteArray>

#include <algorithm>

namespace {

QString percentEncoded(const QString &text, const QByteArray &kept)
{
    return QString::fromLatin1(text.toUtf8().toPercentEncoding(kept));
}

// As text and attribute values are escaped by HTML serialisation.
QString escaped(QString text, bool inAttribute)
{
    text.replace(QLatin1Char('&'), QLatin1String("&amp;")).replace(QChar(0xA0), QLatin1String("&nbsp;"));
    if (inAttribute)
        return text.replace(QLatin1Char('"'), QLatin1String("&quot;"));
    return text.replace(QLatin1Char('<'), QLatin1String("&lt;")).replace(QLatin1Char('>'), QLatin1String("&gt;"));
}

} // namespace

SecretMask::SecretMask(const QString &secret)
{
    if (secret.isEmpty())
        return;
    QString formEncoded = percentEncoded(secret, "*-._");
    formEncoded.replace(QLatin1String("%20"), QLatin1String("+"));
    m_spellings = {secret,
                   percentEncoded(secret, "-._~"),
                   formEncoded,
                   // What a URL parser leaves of an address: only blanks, quotes, brackets and
                   // non-ASCII characters are escaped.
                   percentEncoded(secret, "!$%&'()*+,-./:;=?@[\\]^_|~"),
                   secret.toHtmlEscaped(),
                   escaped(secret, false),
                   escaped(secret, true)};
    m_spellings.removeDuplicates();
    std::sort(m_spellings.begin(), m_spellings.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
}

QString SecretMask::apply(QString text) const
{
    for (const QString &spelling : m_spellings)
        text.replace(spelling, kVariableMarker, spelling.contains(QLatin1Char('%')) ? Qt::CaseInsensitive : Qt::CaseSensitive);
    return text;
}
