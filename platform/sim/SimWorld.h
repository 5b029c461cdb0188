// The simulated desktop of the native build: a virtual clock, window timers,
// posted messages, host windows that record what they receive, message boxes,
// the tray icon and serial devices. Native tests drive the program's windows
// through it: advance time, fire due timers in order, see what was sent.
//
// Single-threaded: everything runs on the test's thread.
#pragma once

#include "platform/Dialog.h"
#include "platform/System.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sim {

// The registered message "TaskbarCreated" on the simulated desktop.
constexpr UINT kTaskbarCreated = 0xC0DE;

struct CopyDataSeen {
    HWND from = nullptr;
    DWORD kind = 0;
    DWORD cbData = 0;
    bool hasData = false;
    std::vector<std::uint8_t> data;
};

struct HostWindow {
    HWND hwnd = nullptr;
    std::string title;
    std::vector<CopyDataSeen> received;
    // Runs inside each record sent to the host, as the host's own window
    // procedure would (it may send messages back).
    std::function<void()> onReceive;
};

struct MessageBoxSeen {
    std::string text;
    std::string caption;
    UINT type = 0;
    bool aside = false; // shown without holding up the caller
};

struct TrayCall {
    HWND owner = nullptr;
    DWORD operation = 0;
    UINT callbackMessage = 0;
    int iconId = 0;
    std::string tip;
};

// One serial device as a port class sees it. Tests set the first four
// fields; the port's simulated I/O fills the rest.
struct SerialDevice {
    bool present = true;         // false: opening the device fails
    bool refuseTimeouts = false; // the configuration's first step fails
    bool failReads = false;      // every read of a byte fails
    // Line errors (framing errors) to come: each aborts one read, as a driver
    // that keeps abort-on-error does, until the port clears it.
    unsigned lineErrors = 0;
    unsigned lineErrorsCleared = 0;
    bool open = false;
    std::string mode;                              // mode string applied
    unsigned baud = 0;                             // link port baud
    std::vector<std::vector<std::uint8_t>> writes; // each write, in order
    // Set by the open port: delivers received bytes to its owner.
    std::function<void(const std::vector<std::uint8_t>&)> receive;
    // Set by the open port: the watch thread writes a queued frame.
    std::function<void()> flushWrites;
    // Set by the open port: the device goes away with this system error.
    std::function<void(unsigned long)> lose;
};

class World {
public:
    static World& Get();
    // Forgets everything; the clock starts at `start`.
    void Reset(platform::LocalTime start = DefaultStart());
    static platform::LocalTime DefaultStart();

    // Clock.
    std::uint64_t NowMs() const { return m_nowMs; }
    platform::LocalTime LocalNow() const;
    // The program's reading of the clock: the time now, after which the
    // clock moves on by msPerClockRead (0: it stands still between events).
    platform::LocalTime ReadClock() {
        const platform::LocalTime now = LocalNow();
        m_nowMs += msPerClockRead;
        return now;
    }
    std::uint64_t msPerClockRead = 0;
    // Advances the clock by `ms`, delivering posted messages, letting port
    // threads write their queued frames and firing due timers, in time order.
    void Advance(std::uint64_t ms);
    // Delivers posted messages and pending port writes without moving the clock.
    void Settle();
    // A blocking pause of the GUI thread: the clock moves on and port threads
    // write their queued frames, but no message or timer is delivered.
    void Sleep(std::uint64_t ms) {
        m_nowMs += ms;
        FlushPortWrites();
    }

    // Windows.
    HWND AddWindow(CDialog* dialog);
    void RemoveWindow(HWND hwnd);
    CDialog* DialogOf(HWND hwnd) const;
    bool IsWindow(HWND hwnd) const { return DialogOf(hwnd) != nullptr || HostOf(hwnd) != nullptr; }

    // Timers.
    UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs);
    bool KillTimer(HWND hwnd, UINT_PTR id);
    bool HasTimer(HWND hwnd, UINT_PTR id) const;
    // Milliseconds until the timer fires; -1 when it is not running.
    std::int64_t TimerRemaining(HWND hwnd, UINT_PTR id) const;
    UINT TimerPeriod(HWND hwnd, UINT_PTR id) const;

    // Posted messages.
    void Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    std::size_t PostedCount() const { return m_posted.size(); }

    // Host windows.
    HWND AddHostWindow(const std::string& title);
    void RemoveHostWindow(HWND hwnd);
    HostWindow* HostOf(HWND hwnd);
    const HostWindow* HostOf(HWND hwnd) const;
    HWND FindTopLevel(const std::string& title) const;
    std::vector<HostWindow>& Hosts() { return m_hosts; }

    // Message boxes, tray, serial devices.
    std::vector<MessageBoxSeen>& MessageBoxes() { return m_boxes; }
    std::vector<TrayCall>& TrayCalls() { return m_tray; }
    bool TrayIconShown() const { return m_trayShown; }
    void SetTrayIconShown(bool shown) { m_trayShown = shown; }
    SerialDevice& Serial(const std::string& deviceName) { return m_serial[deviceName]; }
    bool HasSerial(const std::string& deviceName) const { return m_serial.count(deviceName) != 0; }
    // Bytes arrive on a device: its open port delivers them to the owner.
    void Receive(const std::string& deviceName, const std::vector<std::uint8_t>& bytes);
    // The device goes away (unplugged) while a port has it open.
    void Lose(const std::string& deviceName, unsigned long errorCode);
    // Every byte written to the device so far, all writes joined.
    std::vector<std::uint8_t> Written(const std::string& deviceName) const;
    void ClearWritten(const std::string& deviceName);

    // The simulated process: its current directory and executable path, the
    // file name another running process has (empty: none), the shared main
    // window slot, the window last brought forward and the quit code posted.
    std::string currentDirectory;
    std::string modulePath = "C:\\Program Files\\Relvan\\relvan.exe";
    std::string otherInstanceOf;
    HWND sharedMainWindow = nullptr;
    HWND broughtForward = nullptr;
    int quitCode = -1;
    // What the program reported to the system (its event log), in order.
    std::vector<std::string> systemReports;

private:
    struct Timer {
        HWND hwnd;
        UINT_PTR id;
        UINT period;
        std::uint64_t due;
        std::uint64_t order; // ties fire in the order they were set
    };
    struct Posted {
        HWND hwnd;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    struct Window {
        HWND hwnd;
        CDialog* dialog;
    };

    void DeliverPosted();
    void FlushPortWrites();
    bool FireNextDueTimer(std::uint64_t until);

    std::uint64_t m_nowMs = 0;
    platform::LocalTime m_start = DefaultStart();
    std::uintptr_t m_nextHandle = 0x1000;
    std::uint64_t m_timerOrder = 0;
    std::vector<Window> m_windows;
    std::vector<Timer> m_timers;
    std::deque<Posted> m_posted;
    std::vector<HostWindow> m_hosts;
    std::vector<MessageBoxSeen> m_boxes;
    std::vector<TrayCall> m_tray;
    bool m_trayShown = false;
    std::map<std::string, SerialDevice> m_serial;
};

} // namespace sim
