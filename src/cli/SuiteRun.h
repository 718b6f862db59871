#pragma once

struct RunOptions;

// Runs a suite: every script the options name (folders as their scripts), once or once per row
// of --data, this process's --shard of them, --jobs at once, each try in a navrelay-run process
// and a browser of its own, a failed one tried again up to --retries times. Prints a table of
// the runs at the end, writes the suite's report, JUnit and HTML files, and returns the worst
// exit status.
[[nodiscard]] int runSuite(const RunOptions &options);
