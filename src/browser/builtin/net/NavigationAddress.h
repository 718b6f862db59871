#pragma once

#include "browser/builtin/dom/NavigationRequest.h"

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

// The request for an address typed into an address bar or passed to Navigate: text without a
// scheme ("example.com/x") is taken as http, a path as a file, as a browser's address bar does.
// A web address is read by the URL standard, its escapes kept as written; one that is no valid
// URL asks for an invalid address.
[[nodiscard]] NavigationRequest typedNavigation(const QString &text);

[[nodiscard]] AddressKind addressKind(const QUrl &url);
