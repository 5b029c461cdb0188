// The parts of CControlDeskPort that are the same on every face: names, the
// frames queued for writing and the error box. The I/O lives in
// serial/win32/ControlDeskPortIo.cpp and serial/sim/ControlDeskPortIo.cpp.
#include "serial/ControlDeskPort.h"

#include "platform/Desktop.h"
#include "serial/Frames.h"

#include <cstdio>

namespace {

// The error box text is composed in a buffer of this many characters; longer
// text is cut.
constexpr std::size_t kErrorTextBuffer = 200;
const char kErrorCaption[] = "Application Error";
constexpr UINT kErrorBoxType = MB_OK | MB_ICONSTOP;

} // namespace

QueueResult CControlDeskPort::QueueBytes(const std::uint8_t* bytes, unsigned count) {
    if (bytes == nullptr && count > 0) {
        return QueueResult::TooLong;
    }
    return QueueFrame(Frame(bytes, bytes + count));
}

QueueResult CControlDeskPort::QueueSumFrame(const std::string& text) {
    return QueueFrame(SumFrame(text));
}

QueueResult CControlDeskPort::QueueHexFrame(const std::string& text) {
    return QueueFrame(HexFrame(text));
}

QueueResult CControlDeskPort::QueueAck() {
    return QueueFrame(AckFrame());
}

std::string CControlDeskPort::DeviceName(unsigned portNumber) {
    const std::string name = "COM" + std::to_string(portNumber);
    return portNumber < 5 ? name : "\\\\.\\" + name;
}

std::string CControlDeskPort::ModeString(unsigned baud, char parity, unsigned dataBits,
                                         unsigned stopBits) {
    char text[96];
    std::snprintf(text, sizeof text, "baud=%u parity=%c data=%u stop=%u", baud, parity, dataBits,
                  stopBits);
    return text;
}

std::string CControlDeskPort::PortErrorText(const std::string& operation, unsigned long errorCode,
                                            const std::string& systemText, unsigned portNumber) {
    // Some codes have no text in the system's message table: name the code.
    const std::string reason =
        systemText.empty() ? "Error code " + std::to_string(errorCode) : systemText;
    char text[kErrorTextBuffer];
    std::snprintf(text, sizeof text,
                  "WARNING:  %s Failed with the following error: \n%s\nPort: %u\n",
                  operation.c_str(), reason.c_str(), portNumber);
    return text;
}

void CControlDeskPort::ShowPortError(const std::string& operation, unsigned long errorCode,
                                     const std::string& systemText, unsigned portNumber) {
    platform::ShowMessageBox(PortErrorText(operation, errorCode, systemText, portNumber),
                             kErrorCaption, kErrorBoxType);
}

void CControlDeskPort::ShowPortErrorAside(const std::string& operation, unsigned long errorCode,
                                          const std::string& systemText, unsigned portNumber) {
    platform::ShowMessageBoxAside(PortErrorText(operation, errorCode, systemText, portNumber),
                                  kErrorCaption, kErrorBoxType);
}
