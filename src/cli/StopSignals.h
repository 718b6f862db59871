#pragma once

#include <csignal>
#include <optional>

// Holds back SIGINT, SIGTERM and SIGHUP while it lives, so that a program that is asked to stop
// can end its work in order instead of dying on the spot. Processes started before it keep the
// signals' usual effect; those started while it lives inherit the block unless they lift it, as
// the Chromium NavRelay starts does.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    // The signal that has come since the last call, if one has.
    [[nodiscard]] std::optional<int> received() const;
    // Readable while a signal waits to be taken by received(): for a socket notifier or poll.
    [[nodiscard]] int descriptor() const { return m_descriptor; }

private:
    sigset_t m_signals{};
    sigset_t m_previousMask{};
    int m_descriptor = -1;
};
