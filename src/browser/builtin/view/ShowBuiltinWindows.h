#pragma once

class BuiltinBrowser;

// Shows a view for every window of the browser, also for the windows it opens later. Calling
// it again adds nothing.
void showBuiltinWindows(BuiltinBrowser &browser);
