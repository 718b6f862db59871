#pragma once

#include "cli/RunIdentity.h"
#include "engine/RunRecord.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// One run as its --report file tells it: who it was, its line records and how it ended.
struct RunTranscript {
    RunIdentity identity;
    QList<QJsonObject> lines; // the "line" records, as written
    std::optional<RunSummary> summary; // none when the run was cut off before its end
    QByteArray text; // the file as it is
};

// Reads the report of one run; none when the file holds no run record.
[[nodiscard]] std::optional<RunTranscript> readRunTranscript(const QString &path);
