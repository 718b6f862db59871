#pragma once

#include <QByteArray>
#include <QUrl>

#include <optional>

struct DataContent {
    QByteArray contentType;
    QByteArray bytes;
};

// The content a data: address carries, read as the fetch standard reads it; none for an address
// without the comma that starts its data.
[[nodiscard]] std::optional<DataContent> decodeDataAddress(const QUrl &url);
