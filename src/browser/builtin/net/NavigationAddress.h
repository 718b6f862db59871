#pragma once

#include <QString>
#include <QUrl>

// The kinds of address the built-in browser tells apart.
enum class AddressKind {
    Network,     // http, https
    File,        // file
    Data,        // data
    Blank,       // about:blank
    Script,      // javascript: runs nothing here, the page stays
    Unsupported, // any other scheme (ftp, mailto, qrc, about:other, ...)
    Invalid,
};

// The address typed into an address bar or passed to Navigate: text without a scheme
// ("example.com/x") is taken as http, a path as a file, as a browser's address bar does.
[[nodiscard]] QUrl addressFromText(const QString &text);

// The address as a browser shows and requests it: default port dropped, dot segments
// resolved, an empty http path made "/".
[[nodiscard]] QUrl normalizedAddress(const QUrl &url);

[[nodiscard]] AddressKind addressKind(const QUrl &url);
