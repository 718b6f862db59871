#include "browser/builtin/ErrorPage.h"

namespace {

// "32 MB" for whole megabytes, else the bytes.
[[nodiscard]] QString sizeText(const QString &bytes)
{
    constexpr qint64 megabyte = 1024 * 1024;
    const qint64 count = bytes.toLongLong();
    return count % megabyte == 0 ? QStringLiteral("%1 MB").arg(count / megabyte) : QStringLiteral("%1 bytes").arg(count);
}

struct ErrorText {
    QString title;
    QString sentence;
};

[[nodiscard]] ErrorText errorText(const LoadFailure &failure, const QUrl &url)
{
    const QString host = url.host();
    switch (failure.kind) {
    case LoadFailureKind::InvalidAddress:
        return {QStringLiteral("Invalid address"), QStringLiteral("The address is not valid.")};
    case LoadFailureKind::UnsupportedAddress:
        return {QStringLiteral("Address not supported"),
                QStringLiteral("The browser cannot open addresses that start with \"%1:\".").arg(url.scheme())};
    case LoadFailureKind::HostNotFound:
        return {QStringLiteral("Server not found"),
                QStringLiteral("The server address %1 could not be found.").arg(host)};
    case LoadFailureKind::ConnectionRefused:
        return {QStringLiteral("Connection refused"), QStringLiteral("%1 refused to connect.").arg(host)};
    case LoadFailureKind::ConnectionClosed:
        return {QStringLiteral("Connection closed"),
                QStringLiteral("%1 closed the connection without sending a page.").arg(host)};
    case LoadFailureKind::Timeout:
        return {QStringLiteral("Connection timed out"),
                QStringLiteral("%1 did not answer within %2 seconds.").arg(host, failure.detail)};
    case LoadFailureKind::SecureConnectionFailed:
        return {QStringLiteral("Secure connection failed"),
                QStringLiteral("A secure connection to %1 could not be made: %2").arg(host, failure.detail)};
    case LoadFailureKind::InvalidResponse:
        return {QStringLiteral("Invalid response"), QStringLiteral("%1 sent an answer that is not valid HTTP.").arg(host)};
    case LoadFailureKind::HeadersTooLarge:
        return {QStringLiteral("Headers too large"),
                QStringLiteral("%1 sent more headers than the browser reads (at most %2).").arg(host, failure.detail)};
    case LoadFailureKind::TooLarge:
        return {QStringLiteral("Page too large"),
                QStringLiteral("The page is too large to show: it is more than %1.").arg(sizeText(failure.detail))};
    case LoadFailureKind::TooManyRedirects:
        return {QStringLiteral("Too many redirects"),
                QStringLiteral("%1 redirected too many times (more than %2).").arg(host, failure.detail)};
    case LoadFailureKind::RedirectRefused:
        return {QStringLiteral("Redirect refused"),
                QStringLiteral("The page redirected to an address that is not followed: %1").arg(failure.detail)};
    case LoadFailureKind::FileNotFound:
        return {QStringLiteral("File not found"),
                QStringLiteral("The file %1 could not be found.").arg(url.toLocalFile())};
    case LoadFailureKind::FileUnreadable:
        return {QStringLiteral("File not readable"),
                QStringLiteral("The file %1 could not be read: %2").arg(url.toLocalFile(), failure.detail)};
    case LoadFailureKind::FormNotResent:
        return {QStringLiteral("Form not sent again"),
                QStringLiteral("This page was the answer to a submitted form; the form is not sent again.")};
    case LoadFailureKind::Other: break;
    }
    return {QStringLiteral("Page not loaded"), QStringLiteral("The page could not be loaded: %1").arg(failure.detail)};
}

} // namespace

QString loadFailureReason(const LoadFailure &failure, const QUrl &url)
{
    const ErrorText text = errorText(failure, url);
    return text.title + QStringLiteral(": ") + text.sentence;
}

QByteArray errorPageHtml(const LoadFailure &failure, const QUrl &url)
{
    const ErrorText text = errorText(failure, url);
    const QString title = text.title.toHtmlEscaped();
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title></head>"
                          "<body><h1>%1</h1><p>%2</p><p>%3</p></body></html>")
        .arg(title, text.sentence.toHtmlEscaped(), url.toDisplayString().toHtmlEscaped())
        .toUtf8();
}
