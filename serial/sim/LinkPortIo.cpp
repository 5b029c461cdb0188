// The simulated face of CLinkPort, on sim::World. There is no thread: bytes
// that arrive on the device are delivered at once through g_rxBlock, in blocks
// of at most kRxBlockSize bytes, as ThreadWatchComm would read them; sends are
// written to the device at once, as the real ones are.
#include "serial/LinkPort.h"

#include "platform/Messages.h"
#include "platform/sim/SimWorld.h"
#include "serial/DeliverySlot.h"

#include <algorithm>

struct CLinkPort::Io {
    HWND owner = nullptr;
    std::string portName;
    bool connected = false;
    bool lost = false; // the device went away while the port had it open
    DeliverySlot delivery;

    sim::SerialDevice& Device() { return sim::World::Get().Serial(portName); }
    void Receive(const std::vector<std::uint8_t>& bytes);
    void Lost(unsigned long error);
    void Detach();
};

void CLinkPort::Io::Receive(const std::vector<std::uint8_t>& bytes) {
    // A failed read gives 0 bytes, and nothing is delivered.
    sim::SerialDevice& device = Device();
    if (device.failReads) {
        return;
    }
    // A read aborted by a line error: the thread clears the error and reads again.
    device.lineErrorsCleared += device.lineErrors;
    device.lineErrors = 0;
    for (std::size_t start = 0; connected && start < bytes.size(); start += kRxBlockSize) {
        const auto count =
            static_cast<unsigned>(std::min<std::size_t>(kRxBlockSize, bytes.size() - start));
        FillRxBlock(bytes.data() + start, count);
        if (CDialog* dialog = sim::World::Get().DialogOf(owner)) {
            dialog->SendMessage(WM_LINK_DATA, delivery.Offer(g_rxBlock, count),
                                static_cast<LPARAM>(count));
            delivery.Withdraw();
        }
    }
}

// The device is gone: ThreadWatchComm ends and tells the owner.
void CLinkPort::Io::Lost(unsigned long error) {
    if (!connected) {
        return;
    }
    Detach();
    lost = true;
    if (CDialog* dialog = sim::World::Get().DialogOf(owner)) {
        dialog->PostMessage(WM_PORT_LOST, error, 0);
    }
}

void CLinkPort::Io::Detach() {
    // The world may have been reset since: never bring the device back to life.
    if (connected && sim::World::Get().HasSerial(portName)) {
        sim::SerialDevice& device = Device();
        device.open = false;
        device.receive = nullptr;
        device.lose = nullptr;
    }
    connected = false;
}

CLinkPort::CLinkPort() : m_io(std::make_unique<Io>()) {}

CLinkPort::~CLinkPort() {
    Close();
}

int CLinkPort::Open(CDialog* owner, const std::string& portName, unsigned baud, int) {
    Close();
    Io& io = *m_io;
    io.owner = owner != nullptr ? owner->GetSafeHwnd() : nullptr;
    io.portName = portName;
    io.lost = false;
    sim::World& world = sim::World::Get();
    // Baud 0 cannot be applied to the device, as on the real port.
    if (!world.HasSerial(portName) || !world.Serial(portName).present || baud == 0) {
        return 0;
    }
    sim::SerialDevice& device = io.Device();
    device.open = true;
    device.baud = baud;
    device.receive = [&io](const std::vector<std::uint8_t>& bytes) { io.Receive(bytes); };
    device.lose = [&io](unsigned long error) { io.Lost(error); };
    io.connected = true;
    return 1;
}

void CLinkPort::Close() {
    m_io->Detach();
}

bool CLinkPort::DeviceLost() const {
    return m_io->lost;
}

bool CLinkPort::TakeReceived(std::uintptr_t number, std::vector<std::uint8_t>& bytes) {
    return m_io->delivery.Take(number, bytes);
}

int CLinkPort::WriteFrame(const std::vector<std::uint8_t>& frame) {
    if (!m_io->connected) {
        return 0;
    }
    m_io->Device().writes.push_back(frame);
    return static_cast<int>(frame.size());
}
