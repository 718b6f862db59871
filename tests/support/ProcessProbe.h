#pragma once

#include <QString>

#include <vector>

#include <sys/types.h>

// The live processes whose command line holds the text (a Chromium and its helpers name their
// profile folder).
[[nodiscard]] std::vector<pid_t> processesNaming(const QString &text);
// Kills them at once; a killed process has let go of its descriptors when this returns.
void killProcessesNaming(const QString &text);
// The TCP ports, IPv4 or IPv6, that the processes listen on.
[[nodiscard]] std::vector<int> listeningPortsOf(const std::vector<pid_t> &pids);
