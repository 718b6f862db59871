#pragma once

#include "browser/builtin/net/LoadedResponse.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What reading a local file brought: its bytes, or why there are none.
struct LocalFileContent {
    QByteArray bytes;
    std::optional<LoadFailure> failure;
};

// Reads a regular file of at most `maxBytes` bytes. Anything else (a directory, a FIFO, a device,
// a terminal) is refused without being read, so a load never waits on a writer that never comes.
// Blocks on the disk: call it off the UI thread.
[[nodiscard]] LocalFileContent readRegularFile(const QString &path, qint64 maxBytes);
