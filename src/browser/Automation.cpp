#include "browser/Automation.h"

Automation::Automation(Host &host, Browser &browser)
    : connection(browser, host, state, [this] { runner.mReset_Click(); }, [this] { runner.pageCompleted(); })
    , pageActions(connection, state)
    , runner(state, host, connection, pageActions)
    , documentTools(connection, host, linkList)
{
}
