// A main window of one generator type on the simulated desktop, kept for the
// whole fuzzing run so that its state machine is explored across inputs.
#pragma once

#include "app/RelvanApp.h"
#include "app/RelvanDlg.h"
#include "platform/sim/SimWorld.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fuzz {

constexpr const char* kPort = "COM2";
constexpr const char* kHost = "Fuzz Host";

// The main window for `typeGen` (COM2, the host present, tracing off so the
// run is not bound by log writes), made on first use.
inline CRelvanDlg& MainWindow(int typeGen, const std::string& keys = "") {
    // The window lives for the whole run and is never destroyed: at exit it
    // would outlive the simulated desktop's tables.
    sim::World& world = sim::World::Get();
    static CRelvanDlg* dialog = nullptr;
    if (dialog == nullptr) {
        static char folder[] = "/tmp/relvan-fuzz-XXXXXX";
        if (mkdtemp(folder) == nullptr) {
            std::abort();
        }
        world.Reset();
        world.currentDirectory = folder;
        std::ofstream(std::string(folder) + "/Lumora.ini")
            << "[CONTROLPANNEL]\nTypeGen=" << typeGen << "\n[GENERATOR]\nCOMPORT=2\n"
            << keys;
        world.Serial(kPort).present = true;
        world.AddHostWindow(kHost);
        theApp.m_strHostTitle = kHost;
        dialog = new CRelvanDlg();
        dialog->Create(nullptr);
        world.Advance(1000);
    }
    return *dialog;
}

// Feeds `data` to the port in chunks whose sizes and the pauses between them
// come from the input itself, so timers fire between chunks.
inline void FeedInChunks(const std::uint8_t* data, std::size_t size) {
    sim::World& world = sim::World::Get();
    std::size_t at = 0;
    while (at < size) {
        const std::size_t control = data[at++];
        const std::size_t length = std::min<std::size_t>(1 + (control & 0x1F), size - at);
        world.Receive(kPort, std::vector<std::uint8_t>(data + at, data + at + length));
        at += length;
        world.Advance((control >> 5) * 60); // 0 to 420 ms
    }
    // Keep the wire record from growing over a long run.
    world.ClearWritten(kPort);
    for (sim::HostWindow& host : world.Hosts()) {
        host.received.clear();
    }
}

} // namespace fuzz
