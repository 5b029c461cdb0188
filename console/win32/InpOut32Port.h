// The parallel port of console model 1, through INPOUT32.dll, the I/O-port
// library beside the program. The library is loaded at the first Read or
// Write, and the console touches the port only in model 1: relvan.exe imports
// no such library and every other set-up runs without it. Ordinal 1 reads a
// byte from an I/O address (the low byte of its result); ordinal 2 writes one.
//
// The library drives the generator's ready and exposure lines, so it is taken
// only from the program's own folder or the system folder, never from the
// rest of the DLL search path (the current folder, PATH); the log names the
// file loaded.
//
// Without the library or either ordinal the port is off: one error line goes
// to the log and StatusText says what is missing; writes then do nothing and
// reads give 0x30, the hand switch standing, never ready or exposure.
#pragma once

#include "console/ParallelPort.h"

#include <windows.h>

#include <functional>
#include <string>

class CInpOut32Port : public IParallelPort {
public:
    // A log line and its level (1 error, 3 information).
    using Log = std::function<void(const std::string& text, int level)>;

    // What Read gives while the port is off.
    static constexpr std::uint8_t kStandingCode = 0x30;

    // `log` receives the library's path once it is loaded, or the one error
    // line when the port cannot be used.
    explicit CInpOut32Port(Log log);
    ~CInpOut32Port() override;
    CInpOut32Port(const CInpOut32Port&) = delete;
    CInpOut32Port& operator=(const CInpOut32Port&) = delete;

    // The library is loaded with both ordinals.
    bool IsOpen() const;
    // After a failed load, a status line for the operator (set before the
    // error line is logged); empty otherwise.
    const std::string& StatusText() const;

    void Write(std::uint16_t address, std::uint8_t value) override;
    std::uint8_t Read(std::uint16_t address) override;

private:
    using ReadFunction = short(__stdcall*)(short address);
    using WriteFunction = void(__stdcall*)(short address, short value);

    void LoadOnce();
    void Fail(const std::string& text);

    Log m_log;
    bool m_loadTried = false;
    HMODULE m_library = nullptr;
    ReadFunction m_read = nullptr;
    WriteFunction m_write = nullptr;
    std::string m_statusText;
};
