#pragma once

#include "browser/builtin/dom/TextCodec.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace dom {

// A URL record of the URL standard, its parts as they are serialised. Written escapes stay as
// they are: "%41" is never read as "A".
struct Url {
    QString scheme; // lower case, without the ':'
    QString username;
    QString password;
    std::optional<QString> host; // serialised; "" for an empty host (file:///x)
    std::optional<quint16> port; // none for the scheme's default port
    // An opaque path ("mailto:a@b" holds "a@b"), or the segments, each after a '/' ("/a/b").
    QString path;
    bool hasOpaquePath = false;
    std::optional<QString> query;
    std::optional<QString> fragment;

    // The basic URL parser: the input read against the base, if any; the query of a special
    // URL (but ws: and wss:) in the given encoding. nullopt when it is no valid URL.
    [[nodiscard]] static std::optional<Url> parse(QStringView input, const Url *base = nullptr,
                                                  QByteArrayView queryEncoding = Utf8Encoding);

    // http, https, ws, wss, ftp and file.
    [[nodiscard]] bool isSpecial() const;
    // The URL serializer.
    [[nodiscard]] QString href() const;
    // What an HTTP request names: the path and the query.
    [[nodiscard]] QString requestTarget() const;
};

// The special schemes and their default ports; -1 for file, nullopt for other schemes.
[[nodiscard]] std::optional<int> specialSchemePort(QStringView scheme);

} // namespace dom
