// The two command tables: the top-level words of a line and the actions of "if" and "not".
#include "engine/ScriptRunner.h"

#include "browser/BrowserWindow.h"
#include "engine/BrowserAccess.h"
#include "engine/Host.h"
#include "engine/PageActions.h"
#include "engine/ScriptError.h"
#include "engine/Values.h"

#include <functional>

namespace {

// The wait for the page starts after the action, unless the page completed while the action
// ran: a backend whose calls wait in event loops may hear a whole quick load before it returns.
void waitForPageAfter(RunState &state, const std::function<void()> &action)
{
    const quint64 completedBefore = state.PagesCompleted;
    action();
    if (state.PagesCompleted == completedBefore)
        state.WaitingForPage = true;
}

} // namespace

void ScriptRunner::runTopLevelCommand(const QString &word)
{
    const qsizetype parameterCount = m_state.Params.size() - 1;
    if (word == QLatin1String("if")) {
        runConditional(true);
    } else if (word == QLatin1String("not")) {
        runConditional(false);
    } else if (word == QLatin1String("beep")) {
        m_host.beep();
    } else if (word == QLatin1String("nav")) {
        m_state.WaitingForPage = true;
        m_browser.IE().Navigate(field(1));
    } else if (word == QLatin1String("clink")) {
        m_state.WaitingForPage = true;
        m_page.Clink(field(1));
    } else if (word == QLatin1String("fill")) {
        m_page.FillFormByName(field(1), field(2));
    } else if (word == QLatin1String("fillappend")) {
        m_page.FillAppend(field(1), field(2));
    } else if (word == QLatin1String("clickbutton")) {
        // Only one or two parameters click; none or three and more do nothing.
        if (parameterCount == 1)
            m_page.ClickButton(field(1), false);
        else if (parameterCount == 2)
            m_page.ClickButton(field(1), toFlag(field(2)));
    } else if (word == QLatin1String("clickbuttonbyname")) {
        m_state.WaitingForPage = true;
        m_page.ClickButtonByName(field(1));
    } else if (word == QLatin1String("clickitem")) {
        if (parameterCount >= 2)
            m_page.ClickItem(toInt16(field(2)), field(1));
        else
            m_page.ClickItem(toInt16(field(1)), QString());
    } else if (word == QLatin1String("sleep")) {
        SleepFor(m_host, toInt32(field(1)));
    } else if (word == QLatin1String("back")) {
        m_browser.IE().GoBack();
    } else if (word == QLatin1String("clinknew")) {
        m_page.ClinkNew(field(1));
    } else if (word == QLatin1String("clickclass")) {
        m_state.WaitingForPage = true;
        m_page.ClickClass(field(1));
    } else if (word == QLatin1String("fillclass")) {
        m_page.FillClass(field(1), field(2));
    } else if (word == QLatin1String("fillbyid")) {
        m_page.FillByID(field(1), field(2));
    } else if (word == QLatin1String("fillappendbyid")) {
        m_page.FillAppendByID(field(1), field(2));
    } else if (word == QLatin1String("clickelementbyid")) {
        m_page.ClickElementByID(field(1), toFlag(field(2)));
    } else if (word == QLatin1String("goto")) {
        runTopLevelGoto();
    } else if (word == QLatin1String("clickelementbyname")) {
        m_page.ClickElementByName(field(1), toFlag(field(2)));
    } else if (word == QLatin1String("clickinputimg")) {
        m_page.ClickInputImg(field(1));
    } else if (word == QLatin1String("quitie")) {
        m_browser.IE().Quit();
    } else if (word == QLatin1String("stopie")) {
        m_browser.IE().Stop();
    }
}

void ScriptRunner::runTopLevelGoto()
{
    const QString &target = field(1);
    if (!isNumericText(target)) {
        m_host.messageBox(QStringLiteral("Invalid parameter passed on line %1. GoTo;<Line #> Numbers instead of <Line #>!")
                              .arg(m_state.CurrentLine),
                          QStringLiteral("Error"), MessageIcon::Information);
        return;
    }
    // The advance after the line adds 1, so the given line runs next.
    m_state.CurrentLine = toInt16(toNumber(target) - 2);
}

void ScriptRunner::ExecuteCommand(const QString &strCMD, const QString &strPARAM, qint16 iIndex)
{
    const QString action = strCMD.toLower();
    if (action == QLatin1String("beep")) {
        m_host.beep();
    } else if (action == QLatin1String("nav")) {
        waitForPageAfter(m_state, [&] { m_browser.IE().Navigate(strPARAM); });
    } else if (action == QLatin1String("clink")) {
        waitForPageAfter(m_state, [&] { m_page.Clink(strPARAM); });
    } else if (action == QLatin1String("fill")) {
        // The action has no value field of its own: the value is the line's sixth field.
        const QString value = m_state.Params.size() > 5 ? m_state.Params.at(5) : QString();
        m_page.FillFormByName(strPARAM, value);
    } else if (action == QLatin1String("clickbutton")) {
        waitForPageAfter(m_state, [&] { m_page.ClickButton(strPARAM, false); });
    } else if (action == QLatin1String("clickbuttonbyname")) {
        waitForPageAfter(m_state, [&] { m_page.ClickButtonByName(strPARAM); });
    } else if (action == QLatin1String("clickitem")) {
        if (iIndex != 0)
            m_page.ClickItem(iIndex, strPARAM);
        else
            m_page.ClickItem(toInt16(strPARAM), QString());
    } else if (action == QLatin1String("sleep")) {
        SleepFor(m_host, toInt32(strPARAM));
    } else if (action == QLatin1String("back")) {
        m_browser.IE().GoBack();
    } else if (action == QLatin1String("clinknew")) {
        m_page.ClinkNew(strPARAM);
    } else if (action == QLatin1String("stopscript")) {
        m_timerNav.stop();
        m_state.CurrentLine = 0;
        m_state.WaitingForPage = false;
        m_state.ExecutingLine = false;
        m_host.beep();
    } else if (action == QLatin1String("goto")) {
        m_state.CurrentLine = toInt16(double(toInt32(strPARAM)) - 2);
    }
}
