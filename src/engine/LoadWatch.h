#pragma once

#include "engine/RunObserver.h"

#include <QList>
#include <QString>

#include <functional>

class BrowserAccess;

// A page a line asked for that did not come: the line, the address and why.
struct FailedLoad {
    int line = 0;  // 1-based
    QString text;  // of the line, as written
    QString address;
    QString reason; // the browser's: "Connection refused: ...", "net::ERR_NAME_NOT_RESOLVED", "HTTP status 404"
};

// Hears of every page a run's browser completes and keeps those that failed to load, each
// laid to the line that ran last, once per line (a browser may complete its error page more than
// once). With failing statuses, a page that came with an HTTP status of 400 or more counts as
// failed too.
class LoadWatch : public RunObserver {
public:
    using FailureSink = std::function<void(const FailedLoad &)>;
    enum class Statuses { Pass, Fail };

    LoadWatch(BrowserAccess &browser, Statuses statuses, FailureSink sink = {});

    void lineStarted(qint16 index, const QString &text) override;
    void lineEnded() override {}
    void lineFailed(const ScriptError &, bool) override {}
    void pageCompleted() override;

    [[nodiscard]] const QList<FailedLoad> &failures() const { return m_failures; }

private:
    BrowserAccess &m_browser;
    Statuses m_statuses;
    FailureSink m_sink;
    int m_line = 0;
    QString m_text;
    quint64 m_linesStarted = 0;
    quint64 m_lastFailureAt = 0; // the line, counted as m_linesStarted, of the last failure kept
    QList<FailedLoad> m_failures;
};
