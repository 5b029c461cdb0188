// The numbers of the console's conversation: its panel timers, the link
// control's methods and events, and the parallel port's output values.
#pragma once

#include <cstdint>

enum PanelTimer : unsigned {
    kTimerPowerOn = 1,       // Model 2: method 3 three times; else method 1
    kTimerChargeStart = 2,   // charge-on start
    kTimerChargeDone = 3,    // charge completion
    kTimerExposureEnd = 4,   // exposure end after X-ray End OK
    kTimerErrorPowerOff = 5, // power off after an error report
    kTimerExit = 6,          // close request after EXIT
    kTimerFeedback = 7,      // feedback and actual-mAs report
    kTimerPreheatSaved = 8,  // pre-heat buttons back after SAVE
    kTimerLinkPoll = 9,      // hand-switch poll, Model 2 (periodic)
    kTimerWatchdog = 10,     // link watchdog
    kTimerLinkAnswer = 11,   // answer to the link check
    kTimerPortPoll = 100,    // hand-switch poll, Model 1
};

enum LinkMethod : int {
    kMethodPowerOn = 1,
    kMethodPowerOff = 2,
    kMethodPowerConfirm = 3, // Model 2, three times after PS "01"
    kMethodPowerEcho = 4,    // Model 2, the value of R101
    kMethodAecOff = 5,
    kMethodAecOn = 6,
    kMethodLargeFocus = 7,
    kMethodSmallFocus = 8,
    kMethodLowScale = 9,
    kMethodHighScale = 10,
    kMethodRotorHigh = 14,
    kMethodRotorLow = 15,
    kMethodBucky1 = 19,
    kMethodBucky2 = 20,
    kMethodAux = 21,
    kMethodChargeOn4 = 22, // fourth call of the charge-on start
    kMethodChargeOn1 = 23, // first call of the charge-on start
    kMethodExposure = 25,
    kMethodMasMode = 26,
    kMethodTimeMode = 27,
    kMethodKv = 43,
    kMethodMa = 44,
    kMethodMas = 45,
    kMethodTime = 46,
    kMethodAecReference = 47,
    kMethodAecField = 48,
    kMethodPowerLine = 56,   // "01" on PS "01", "00" at power off
    kMethodSwitchLines = 57, // the ready and exposure lines
    kMethodLinkAnswer = 58,  // "55"
};

enum LinkEvent : int {
    kEventData = 5,      // code, value1, value2
    kEventReport = 6,    // code, value
    kEventStateCode = 9, // code
};

// Values written to the parallel port's data register (Model 1); a line is
// asserted by driving it low.
enum PortValue : std::uint8_t {
    kPortRelease = 0xFF,
    kPortIdle = 0xFB,
    kPortPowerOn = 0xF7,
    kPortReady = 0xFD,
    kPortExposure = 0xFC,
};
