#pragma once

#include <csignal>

// Holds back SIGINT, SIGTERM and SIGHUP while it lives, so that a program that is asked to stop
// can end its work in order instead of dying on the spot. Processes started before it keep the
// signals' usual effect; those started while it lives would inherit the block.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    // Whether one of the signals has come since the last call.
    [[nodiscard]] bool received() const;

private:
    sigset_t m_signals{};
    sigset_t m_previousMask{};
    int m_descriptor = -1;
};
