// How a port's watch thread treats failures and empty wake-ups.
//
// A device that is gone (a USB adapter unplugged, a pty closed) makes every
// port operation fail, or every wait (a pending read, a comm-event wait) end
// at once with nothing to read. Left alone, the watch thread would then show
// error box after error box or spin. WatchHealth keeps track of the failures
// and empty wake-ups since the thread last got something done (a byte
// delivered, a frame written) and tells the thread what to do:
//   - at most one error box per run of failures;
//   - the thread stops on an error that means the device is gone, on a second
//     aborted operation in a row, or after kFailureLimit failures in a row;
//   - after kIdleLimit empty wake-ups in a row it waits kBackoffMs before each
//     new wait instead of spinning.
#pragma once

#include <cstdint>

// System error codes that the watch threads tell apart.
constexpr unsigned long kErrorAccessDenied = 5;
constexpr unsigned long kErrorInvalidHandle = 6;
constexpr unsigned long kErrorNotReady = 21;
constexpr unsigned long kErrorBadCommand = 22;
constexpr unsigned long kErrorGenFailure = 31;
constexpr unsigned long kErrorInvalidParameter = 87;
constexpr unsigned long kErrorNoSuchDevice = 433;
constexpr unsigned long kErrorOperationAborted = 995;
constexpr unsigned long kErrorIoDevice = 1117;
constexpr unsigned long kErrorDeviceNotConnected = 1167;

class WatchHealth {
public:
    static constexpr unsigned kFailureLimit = 5;
    static constexpr unsigned kIdleLimit = 10;
    static constexpr unsigned kBackoffMs = 50;

    struct Verdict {
        bool showBox = false; // tell the operator about this failure
        bool stop = false;    // end the watch loop
    };

    // Something got done: a byte was delivered or a frame written.
    void Progress();
    // A port operation failed with `errorCode`. `reportable` failures are the
    // ones the operator is told about (an error box); the others only count.
    Verdict Failed(unsigned long errorCode, bool reportable);
    // A wait ended without anything to read.
    void Idle();
    // The thread should pause kBackoffMs before its next wait.
    bool BackingOff() const { return m_idle >= kIdleLimit; }

private:
    static bool MeansDeviceGone(unsigned long errorCode);

    unsigned m_failures = 0;
    unsigned long m_lastError = 0;
    bool m_boxShown = false;
    unsigned m_idle = 0;
};
