// The simulated face of CControlDeskPort, on sim::World. There is no thread:
// the world plays the watch thread. Bytes that arrive on the device together
// are delivered at once, in order, in one WM_PORT_CHAR per read of the watch
// thread (at most kReadBlock bytes). The queued frames are written, in order,
// when the watch thread is free to: when the world lets the port threads run
// (flushWrites, also during a pause of the GUI thread), and when a burst of
// received bytes has been delivered. Never while bytes are being delivered:
// the real watch thread then waits inside its SendMessage, so whatever the
// owner queues there goes out only after it returns.
#include "serial/ControlDeskPort.h"

#include "platform/Messages.h"
#include "platform/sim/SimWorld.h"
#include "serial/DeliverySlot.h"
#include "serial/WatchHealth.h"
#include "serial/WriteQueue.h"

namespace {

const char kParameterText[] = "The parameter is incorrect.";
const char kIoDeviceText[] = "The request could not be performed because of an I/O device error.";

// The most the watch thread reads at once.
constexpr std::size_t kReadBlock = 256;

} // namespace

struct CControlDeskPort::Io {
    CDialog* owner = nullptr;
    unsigned portNumber = 0;
    std::uint32_t eventsMask = 0;
    std::string deviceName;
    bool open = false;
    bool alive = false;
    bool gaveUp = false;     // the watch thread gave the device up
    bool delivering = false; // inside the synchronous WM_PORT_CHAR
    std::vector<std::uint8_t> read; // bytes read and not yet delivered
    WriteQueue queue;
    WatchHealth health;
    DeliverySlot delivery;

    sim::SerialDevice& Device() { return sim::World::Get().Serial(deviceName); }
    void Attach();
    void Detach();
    void Receive(const std::vector<std::uint8_t>& bytes);
    void Deliver();
    void ReadFailed();
    void ClearLineErrors();
    void WriteQueued();
    void Lost(unsigned long error);
    void GiveUp(unsigned long error);
};

void CControlDeskPort::Io::Attach() {
    sim::SerialDevice& device = Device();
    device.open = true;
    device.receive = [this](const std::vector<std::uint8_t>& bytes) { Receive(bytes); };
    device.flushWrites = [this] { WriteQueued(); };
    device.lose = [this](unsigned long error) { Lost(error); };
}

void CControlDeskPort::Io::Detach() {
    // The world may have been reset since: never bring the device back to life.
    if (open && sim::World::Get().HasSerial(deviceName)) {
        sim::SerialDevice& device = Device();
        device.open = false;
        device.receive = nullptr;
        device.flushWrites = nullptr;
        device.lose = nullptr;
    }
    open = false;
}

void CControlDeskPort::Io::Receive(const std::vector<std::uint8_t>& bytes) {
    // Without a running watch thread the bytes wait in the driver, and the
    // thread purges them when it starts.
    if (!alive || (eventsMask & EV_RXCHAR) == 0) {
        return;
    }
    for (std::uint8_t byte : bytes) {
        if (!alive) {
            break;
        }
        if (Device().failReads) {
            ReadFailed();
            continue;
        }
        ClearLineErrors();
        health.Progress();
        read.push_back(byte);
        if (read.size() == kReadBlock) {
            Deliver();
        }
    }
    Deliver();
    // Back at its wait, the thread finds the write request.
    WriteQueued();
}

void CControlDeskPort::Io::Deliver() {
    if (alive && owner != nullptr && !read.empty()) {
        delivering = true;
        owner->SendMessage(WM_PORT_CHAR, delivery.Offer(read.data(), read.size()),
                           static_cast<LPARAM>(portNumber));
        delivery.Withdraw();
        delivering = false;
    }
    read.clear();
}

void CControlDeskPort::Io::ReadFailed() {
    const WatchHealth::Verdict verdict = health.Failed(kErrorIoDevice, true);
    if (verdict.showBox) {
        ShowPortErrorAside("ReadFile()", kErrorIoDevice, kIoDeviceText, portNumber);
    }
    if (verdict.stop) {
        GiveUp(kErrorIoDevice);
    }
}

// Reads aborted by line errors: the thread clears each error and reads again,
// so the byte still arrives.
void CControlDeskPort::Io::ClearLineErrors() {
    sim::SerialDevice& device = Device();
    device.lineErrorsCleared += device.lineErrors;
    device.lineErrors = 0;
}

// The device is gone: the watch thread gives it up.
void CControlDeskPort::Io::Lost(unsigned long error) {
    if (alive) {
        GiveUp(error);
    }
}

// The watch thread ends and tells the owner.
void CControlDeskPort::Io::GiveUp(unsigned long error) {
    alive = false;
    gaveUp = true;
    if (owner != nullptr) {
        owner->PostMessage(WM_PORT_LOST, error, static_cast<LPARAM>(portNumber));
    }
}

void CControlDeskPort::Io::WriteQueued() {
    if (!alive || delivering) {
        return;
    }
    for (Frame frame; queue.Pop(frame);) {
        Device().writes.push_back(frame);
        health.Progress();
    }
}

CControlDeskPort::CControlDeskPort() : m_io(std::make_unique<Io>()) {}

CControlDeskPort::~CControlDeskPort() {
    Close();
}

int CControlDeskPort::Open(CDialog* owner, unsigned portNumber, unsigned baud, char parity,
                           unsigned dataBits, unsigned stopBits, std::uint32_t eventsMask,
                           unsigned writeBufferSize) {
    Close();
    Io& io = *m_io;
    io.owner = owner;
    io.portNumber = portNumber;
    io.eventsMask = eventsMask;
    io.queue.Allocate(writeBufferSize);
    io.deviceName = DeviceName(portNumber);
    sim::World& world = sim::World::Get();
    if (!world.HasSerial(io.deviceName) || !world.Serial(io.deviceName).present) {
        return 0;
    }
    io.open = true;
    io.Attach();
    if (io.Device().refuseTimeouts) {
        // The first failed step skips the rest of the configuration.
        ShowPortError("SetCommTimeouts()", kErrorInvalidParameter, kParameterText, portNumber);
    } else {
        io.Device().mode = ModeString(baud, parity, dataBits, stopBits);
    }
    return 1;
}

int CControlDeskPort::StartWatch() {
    if (!m_io->open) {
        return 0;
    }
    m_io->health = WatchHealth();
    m_io->alive = true;
    m_io->gaveUp = false;
    return 1;
}

void CControlDeskPort::Close() {
    m_io->alive = false;
    m_io->gaveUp = false;
    m_io->Detach();
}

bool CControlDeskPort::TakeReceived(std::uintptr_t number, std::vector<std::uint8_t>& bytes) {
    return m_io->delivery.Take(number, bytes);
}

bool CControlDeskPort::IsWatchAlive() const {
    return m_io->alive;
}

bool CControlDeskPort::DeviceLost() const {
    return m_io->gaveUp;
}

QueueResult CControlDeskPort::QueueFrame(const std::vector<std::uint8_t>& frame) {
    return m_io->open && !m_io->gaveUp ? m_io->queue.Push(frame) : QueueResult::NotOpen;
}
