#include "browser/Automation.h"

Automation::Automation(Host &host, Browser &browser)
    : connection(browser, host, state, [this] { runner.mReset_Click(); })
    , pageActions(connection, state)
    , runner(state, host, connection, pageActions)
    , documentTools(connection, host, linkList)
{
}
