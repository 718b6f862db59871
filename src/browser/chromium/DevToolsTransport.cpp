#include "browser/chromium/DevToolsTransport.h"

// Defined here so that the class's meta-object and virtual table are built once, with this file.
DevToolsTransport::~DevToolsTransport() = default;
