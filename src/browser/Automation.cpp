#include "browser/Automation.h"

Automation::Automation(Host &host, Browser &browser)
    : connection(browser, host, state, [this] { runner.resetRun(); }, [this] { runner.pageCompleted(); })
    , pageActions(connection, state)
    , runner(state, host, connection, pageActions)
    , documentTools(connection, host, linkList)
{
    connection.setDocumentChanged([this] { runner.documentChanged(); });
}
