#include "cli/ScriptRecording.h"

#include "browser/Browser.h"
#include "browser/chromium/ChromiumLauncher.h"
#include "cli/ErrorOutput.h"
#include "cli/ScriptRun.h"
#include "cli/StopSignals.h"
#include "engine/ScriptError.h"
#include "engine/ScriptFile.h"
#include "page/ScriptRecorder.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <optional>

namespace {

constexpr int kStartTimeoutMs = 30000;
constexpr int kWatchIntervalMs = 250;

// Spins the event loop until the condition holds, or the time is up when one is given.
bool waitFor(const std::function<bool()> &condition, std::optional<int> timeoutMs)
{
    const QDeadlineTimer deadline = timeoutMs ? QDeadlineTimer(*timeoutMs) : QDeadlineTimer(QDeadlineTimer::Forever);
    QEventLoop loop;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (condition() || deadline.hasExpired())
            loop.quit();
    });
    watch.start(kWatchIntervalMs);
    if (!condition())
        loop.exec();
    return condition();
}

} // namespace

int recordScript(const RunOptions &options)
{
    if (!LaunchEnvironment::current().hasDisplay) {
        printError(QStringLiteral("--record shows the browser: it needs a display (DISPLAY or WAYLAND_DISPLAY)"));
        return kRecordNoDisplay;
    }
    QFile file(options.recordPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        printError(QStringLiteral("cannot write the script %1: %2").arg(options.recordPath, file.errorString()));
        return RunBadInput;
    }
    std::optional<QTemporaryDir> isolatedProfile; // removed after the browser, declared before it
    if (options.isolated)
        isolatedProfile.emplace();
    const auto created = createBrowser(options, isolatedProfile ? isolatedProfile->path() : QString());
    Browser &browser = *created;
    try {
        browser.startProgram();
    } catch (const ScriptError &error) {
        printError(QStringLiteral("Chromium cannot be started: %1").arg(error.description()));
        return RunBadInput;
    }
    const auto firstWindow = [&browser] {
        const auto windows = browser.windows();
        return windows.empty() ? nullptr : windows.front();
    };
    if (!waitFor([&] { return firstWindow() != nullptr; }, kStartTimeoutMs)) {
        printError(QStringLiteral("Chromium started but shows no window"));
        return RunBadInput;
    }

    // Ctrl+C in the terminal ends the recording as closing the browser does: the file is complete.
    const StopSignals stopSignals;
    bool written = true;
    ScriptRecorder recorder(
        [&](const QString &line) {
            const QByteArray bytes = scriptFileBytes(line);
            written = written && file.write(bytes) == bytes.size() && file.flush();
        },
        {.askForPasswords = !options.recordPasswords});
    browser.setPersonActions(&recorder);
    if (!options.startUrl.isEmpty()) {
        recorder.addressTyped(options.startUrl);
        try {
            firstWindow()->navigate(options.startUrl);
        } catch (const ScriptError &) {
            // closed at once: the recording ends below
        }
    }
    (void)waitFor([&] { return browser.windows().empty() || !written || stopSignals.received().has_value(); }, std::nullopt);
    browser.setPersonActions(nullptr);
    recorder.finish();
    if (!written) {
        printError(QStringLiteral("cannot write the script %1: %2").arg(options.recordPath, file.errorString()));
        return RunBadInput;
    }
    return RunFinished;
}
