// NavRelay's own checks of the page: "assert", "refute" and "waitfor".
#include "engine/ScriptRunner.h"

#include "engine/BrowserAccess.h"
#include "engine/BrowserWindow.h"
#include "engine/PageText.h"
#include "engine/ScriptError.h"

ScriptError ScriptRunner::checkFailure(const QString &word, const QString &text, const QString &finding) const
{
    return ScriptError(CheckFailed, QStringLiteral("%1 failed on line %2: \"%3\" %4 (%5)")
                                        .arg(word)
                                        .arg(m_state.currentLine + 1)
                                        .arg(text, finding, m_browser.window().locationUrl()));
}

void ScriptRunner::checkPageText(const QString &word, bool mustHold)
{
    const QString &text = field(1);
    if (bodyHtmlHolds(m_page, [&text] { return text; }) != mustHold)
        throw checkFailure(word, text, mustHold ? QStringLiteral("is not on the page") : QStringLiteral("is on the page"));
}

void ScriptRunner::startTextWait(const QString &text, qint64 timeoutMs)
{
    if (bodyHtmlHolds(m_page, [&text] { return text; }))
        return;
    m_textWait.emplace(text, timeoutMs, m_tickTimer.interval());
    m_tickTimer.start(m_textWait->nextLookMs());
}

void ScriptRunner::lookForWaitedText()
{
    const QString text = m_textWait->text();
    try {
        bool holds = false;
        if (m_textWait->expired()) {
            holds = bodyHtmlHolds(m_page, [&text] { return text; }); // its failures are the line's
        } else {
            try {
                holds = bodyHtmlHolds(m_page, [&text] { return text; });
            } catch (const ScriptError &) {
                // Between two pages there may be no document to read: the next look will tell.
            }
        }
        if (holds) {
            endTextWait();
            completeLine();
        } else if (m_textWait->expired()) {
            const qint64 timeoutMs = m_textWait->timeoutMs();
            endTextWait();
            throw checkFailure(QStringLiteral("waitfor"), text,
                               QStringLiteral("is not on the page after %1 s").arg(double(timeoutMs) / 1000.0));
        } else {
            m_tickTimer.start(m_textWait->nextLookMs());
        }
    } catch (const ScriptError &error) {
        trapError(error);
    }
}

void ScriptRunner::endTextWait()
{
    if (!m_textWait)
        return;
    m_tickTimer.setInterval(m_textWait->paceBefore());
    m_textWait.reset();
}
