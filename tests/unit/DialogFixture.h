// A CRelvanDlg on the simulated desktop: a temporary program folder with its
// Lumora.ini, the host window and the serial devices, and readers for what
// the program sent and logged.
#pragma once

#include "app/RelvanApp.h"
#include "app/RelvanDlg.h"
#include "bridge/HostRecord.h"
#include "platform/sim/SimDialog.h"
#include "platform/sim/SimWorld.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline Bytes BytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// One record a host window received, decoded.
struct HostSeen {
    DWORD kind = 0;
    int index = 0;    // kind 742065: the little-endian index
    DWORD value = 0;  // kind 113: cbData
    std::string text; // the NUL-terminated text of the block
};

class DialogFixture : public ::testing::Test {
protected:
    static constexpr const char* kHostTitle = "Imaging Host";

    void SetUp() override {
        char pattern[] = "/tmp/relvan-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        sim::World::Get().Reset();
        sim::World::Get().currentDirectory = m_dir;
        theApp.m_strHostTitle = kHostTitle;
    }

    void TearDown() override {
        dlg.reset();
        std::string command = "rm -rf '" + m_dir + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        theApp.m_strHostTitle.clear();
    }

    // Writes Lumora.ini into the program folder.
    void WriteIni(const std::string& content) {
        std::ofstream(m_dir + "/Lumora.ini", std::ios::binary) << content;
    }

    // A serial device the program can open.
    sim::SerialDevice& Device(const std::string& name) {
        sim::SerialDevice& device = sim::World::Get().Serial(name);
        device.present = true;
        return device;
    }

    HWND AddHost() { return sim::World::Get().AddHostWindow(kHostTitle); }

    // Creates the main window: OnInitDialog runs.
    CRelvanDlg& Start() {
        dlg = std::make_unique<CRelvanDlg>();
        dlg->Create(nullptr);
        return *dlg;
    }

    void Advance(std::uint64_t ms) { sim::World::Get().Advance(ms); }

    sim::DialogState& State() { return *sim::StateOf(dlg->GetSafeHwnd()); }

    Bytes Written(const std::string& device) { return sim::World::Get().Written(device); }
    void ClearWritten(const std::string& device) { sim::World::Get().ClearWritten(device); }
    void Receive(const std::string& device, const Bytes& bytes) {
        sim::World::Get().Receive(device, bytes);
    }

    // Sends a WM_COPYDATA record from the host to the main window.
    void SendRecord(DWORD kind, DWORD cbData, const void* data) {
        COPYDATASTRUCT record{};
        record.dwData = kind;
        record.cbData = cbData;
        record.lpData = const_cast<void*>(data);
        dlg->SendMessage(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
    }

    // Everything the host window received, decoded.
    std::vector<HostSeen> HostReceived() const {
        std::vector<HostSeen> seen;
        for (const sim::HostWindow& host : sim::World::Get().Hosts()) {
            for (const sim::CopyDataSeen& record : host.received) {
                seen.push_back(Decode(record));
            }
        }
        return seen;
    }

    // The day's log file, as written (CR LF line ends).
    std::string Log() const {
        std::ifstream in(m_dir + "/log/20261207_Kel.log", std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    bool LogHas(const std::string& line) const { return Log().find(line) != std::string::npos; }

    std::string m_dir;
    std::unique_ptr<CRelvanDlg> dlg;

private:
    static HostSeen Decode(const sim::CopyDataSeen& record) {
        HostSeen seen;
        seen.kind = record.kind;
        seen.value = record.cbData;
        std::size_t textAt = 0;
        if (record.kind == kKindReplyItem && record.data.size() >= 4) {
            std::uint32_t index = 0;
            for (int i = 3; i >= 0; --i) {
                index = (index << 8) | record.data[static_cast<std::size_t>(i)];
            }
            seen.index = static_cast<int>(index);
            textAt = 4;
        }
        for (std::size_t i = textAt; i < record.data.size() && record.data[i] != 0; ++i) {
            seen.text.push_back(static_cast<char>(record.data[i]));
        }
        return seen;
    }
};
