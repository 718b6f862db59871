// The two command tables: the top-level words of a line and the actions of "if" and "not".
#include "engine/ScriptRunner.h"

#include "engine/BrowserWindow.h"
#include "engine/BrowserAccess.h"
#include "engine/CommandWords.h"
#include "engine/Host.h"
#include "engine/PageActions.h"
#include "engine/ScriptError.h"
#include "engine/Values.h"

#include <functional>

namespace {

using Kind = ActionTarget::Kind;

// The wait for the page starts after the action, unless the page completed while the action
// ran: a backend whose calls wait in event loops may hear a whole quick load before it returns.
void waitForPageAfter(RunState &state, const std::function<void()> &action)
{
    const quint64 completedBefore = state.pagesCompleted;
    action();
    if (state.pagesCompleted == completedBefore)
        state.waitingForPage = true;
}

} // namespace

void ScriptRunner::runTopLevelCommand(const QString &word)
{
    const qsizetype parameterCount = m_state.params.size() - 1;
    if (word == QLatin1String("if")) {
        runConditional(true);
    } else if (word == QLatin1String("not")) {
        runConditional(false);
    } else if (word == QLatin1String("beep")) {
        m_host.beep();
    } else if (word == QLatin1String("nav")) {
        m_state.waitingForPage = true;
        m_browser.window().navigate(field(1));
    } else if (word == QLatin1String("clink")) {
        actOnTarget({Kind::Link, field(1)}, [this, text = field(1)] {
            m_state.waitingForPage = true;
            m_page.clickLink(text);
        });
    } else if (word == QLatin1String("fill")) {
        actOnTarget({Kind::FieldByName, field(1)}, [this, name = field(1), value = field(2)] { m_page.fillByName(name, value); });
    } else if (word == QLatin1String("fillappend")) {
        actOnTarget({Kind::FieldByName, field(1)}, [this, name = field(1), value = field(2)] { m_page.appendByName(name, value); });
    } else if (word == QLatin1String("clickbutton")) {
        // Only one or two parameters click; none or three and more do nothing.
        if (parameterCount == 1 || parameterCount == 2) {
            const bool navigates = parameterCount == 2 && toFlag(field(2));
            actOnTarget({Kind::Button, field(1)}, [this, value = field(1), navigates] { m_page.clickButton(value, navigates); });
        }
    } else if (word == QLatin1String("clickbuttonbyname")) {
        actOnTarget({Kind::ElementByName, field(1)}, [this, name = field(1)] {
            m_state.waitingForPage = true;
            m_page.clickButtonByName(name);
        });
    } else if (word == QLatin1String("clickitem")) {
        const qint16 index = toInt16(field(parameterCount >= 2 ? 2 : 1));
        const QString name = parameterCount >= 2 ? field(1) : QString();
        actOnTarget({Kind::Item, name, index}, [this, index, name] { m_page.clickItem(index, name); });
    } else if (word == QLatin1String("sleep")) {
        if (const qint32 milliseconds = toInt32(field(1)); milliseconds > 0)
            startSleep(milliseconds);
    } else if (word == QLatin1String("back")) {
        m_browser.window().goBack();
    } else if (word == QLatin1String("clinknew")) {
        actOnTarget({Kind::Link, field(1)}, [this, text = field(1)] { m_page.clickLinkInNewWindow(text); });
    } else if (word == QLatin1String("clickclass")) {
        m_state.waitingForPage = true;
        m_page.clickByClass(field(1));
    } else if (word == QLatin1String("fillclass")) {
        actOnTarget({Kind::ElementByClass, field(1)}, [this, name = field(1), text = field(2)] { m_page.fillByClass(name, text); });
    } else if (word == QLatin1String("fillbyid")) {
        actOnTarget({Kind::FieldById, field(1)}, [this, id = field(1), value = field(2)] { m_page.fillById(id, value); });
    } else if (word == QLatin1String("fillappendbyid")) {
        actOnTarget({Kind::FieldById, field(1)}, [this, id = field(1), value = field(2)] { m_page.appendById(id, value); });
    } else if (word == QLatin1String("clickelementbyid")) {
        const bool navigates = toFlag(field(2));
        actOnTarget({Kind::ElementById, field(1)}, [this, id = field(1), navigates] { m_page.clickElementById(id, navigates); });
    } else if (word == QLatin1String("goto")) {
        runTopLevelGoto();
    } else if (word == QLatin1String("clickelementbyname")) {
        m_page.clickElementByName(field(1), toFlag(field(2)));
    } else if (word == QLatin1String("clickinputimg")) {
        actOnTarget({Kind::ImageInput, field(1)}, [this, source = field(1)] { m_page.clickImageInput(source); });
    } else if (word == QLatin1String("quitie")) {
        m_browser.window().quit();
    } else if (word == QLatin1String("stopie")) {
        m_browser.window().stop();
    } else if (word == QLatin1String("assert")) {
        checkPageText(word, true);
    } else if (word == QLatin1String("refute")) {
        checkPageText(word, false);
    } else if (word == QLatin1String("waitfor")) {
        startTextWait(field(1), parameterCount >= 2 ? waitTimeoutMs(field(2)) : TextWait::kDefaultTimeoutMs);
    } else if (!isCommentWord(word)) {
        rejectUnknownWord(QStringLiteral("command"), m_state.params.at(0), topLevelWords());
    }
}

// Without strict lookups an unknown word does nothing, which lets any word mark a comment.
void ScriptRunner::rejectUnknownWord(const QString &kind, const QString &word, const QStringList &knownWords)
{
    if (m_state.strictLookups)
        throw ScriptError(StrictLookupFailed, unknownWordMessage(kind, word, knownWords));
}

void ScriptRunner::runTopLevelGoto()
{
    const QString &target = field(1);
    if (!isNumericText(target)) {
        m_host.messageBox(QStringLiteral("Invalid parameter passed on line %1. GoTo;<Line #> Numbers instead of <Line #>!")
                              .arg(m_state.currentLine),
                          QStringLiteral("Error"), MessageIcon::Information);
        return;
    }
    // The advance after the line adds 1, so the given line runs next.
    m_state.currentLine = toInt16(toNumber(target) - 2);
}

void ScriptRunner::executeCommand(const QString &command, const QString &parameter, qint16 index)
{
    const QString action = command.toLower();
    if (action == QLatin1String("beep")) {
        m_host.beep();
    } else if (action == QLatin1String("nav")) {
        waitForPageAfter(m_state, [&] { m_browser.window().navigate(parameter); });
    } else if (action == QLatin1String("clink")) {
        actOnTarget({Kind::Link, parameter}, [this, parameter] { waitForPageAfter(m_state, [&] { m_page.clickLink(parameter); }); });
    } else if (action == QLatin1String("fill")) {
        // The action has no value field of its own: the value is the line's sixth field.
        const QString value = m_state.params.size() > 5 ? m_state.params.at(5) : QString();
        actOnTarget({Kind::FieldByName, parameter}, [this, parameter, value] { m_page.fillByName(parameter, value); });
    } else if (action == QLatin1String("clickbutton")) {
        actOnTarget({Kind::Button, parameter},
                    [this, parameter] { waitForPageAfter(m_state, [&] { m_page.clickButton(parameter, false); }); });
    } else if (action == QLatin1String("clickbuttonbyname")) {
        actOnTarget({Kind::ElementByName, parameter},
                    [this, parameter] { waitForPageAfter(m_state, [&] { m_page.clickButtonByName(parameter); }); });
    } else if (action == QLatin1String("clickitem")) {
        const qint16 position = index != 0 ? index : toInt16(parameter);
        const QString name = index != 0 ? parameter : QString();
        actOnTarget({Kind::Item, name, position}, [this, position, name] { m_page.clickItem(position, name); });
    } else if (action == QLatin1String("sleep")) {
        if (const qint32 milliseconds = toInt32(parameter); milliseconds > 0)
            startSleep(milliseconds);
    } else if (action == QLatin1String("back")) {
        m_browser.window().goBack();
    } else if (action == QLatin1String("clinknew")) {
        actOnTarget({Kind::Link, parameter}, [this, parameter] { m_page.clickLinkInNewWindow(parameter); });
    } else if (action == QLatin1String("stopscript")) {
        m_tickTimer.stop();
        m_state.currentLine = 0;
        m_state.waitingForPage = false;
        m_state.executingLine = false;
        m_host.beep();
    } else if (action == QLatin1String("goto")) {
        m_state.currentLine = toInt16(double(toInt32(parameter)) - 2);
    } else {
        rejectUnknownWord(QStringLiteral("action"), command, conditionalActions());
    }
}
