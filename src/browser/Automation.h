#pragma once

#include "browser/BrowserConnection.h"
#include "engine/RunState.h"
#include "engine/ScriptRunner.h"
#include "page/BrowserPageActions.h"
#include "page/DocumentTools.h"
#include "page/LinkList.h"

class Browser;
class Host;

// Everything a host needs to run scripts against one browser backend, wired together: the run
// state, the runner with its run controls, the browser connection and the page actions. The
// main window and the terminal runner each own one.
struct Automation {
    Automation(Host &host, Browser &browser);
    Automation(const Automation &) = delete;
    Automation &operator=(const Automation &) = delete;

    RunState state;
    LinkList linkList;
    BrowserConnection connection;
    BrowserPageActions pageActions;
    ScriptRunner runner;
    DocumentTools documentTools;
};
