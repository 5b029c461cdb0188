#include "serial/WatchHealth.h"

void WatchHealth::Progress() {
    m_failures = 0;
    m_lastError = 0;
    m_boxShown = false;
    m_idle = 0;
}

WatchHealth::Verdict WatchHealth::Failed(unsigned long errorCode, bool reportable) {
    const bool abortedAgain = errorCode == kErrorOperationAborted && m_failures > 0 &&
                              m_lastError == kErrorOperationAborted;
    ++m_failures;
    m_lastError = errorCode;
    Verdict verdict;
    verdict.stop = MeansDeviceGone(errorCode) || abortedAgain || m_failures >= kFailureLimit;
    verdict.showBox = !m_boxShown && (reportable || verdict.stop);
    m_boxShown = m_boxShown || verdict.showBox;
    return verdict;
}

void WatchHealth::Idle() {
    if (m_idle < kIdleLimit) {
        ++m_idle;
    }
}

bool WatchHealth::MeansDeviceGone(unsigned long errorCode) {
    switch (errorCode) {
    case kErrorAccessDenied:
    case kErrorInvalidHandle:
    case kErrorNotReady:
    case kErrorBadCommand:
    case kErrorGenFailure:
    case kErrorNoSuchDevice:
    case kErrorDeviceNotConnected:
        return true;
    default:
        return false;
    }
}
