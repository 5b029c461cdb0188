#include "bench/micro/DialogSetup.h"

#include "app/RelvanApp.h"
#include "platform/sim/SimWorld.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace microbench {

DialogSetup::DialogSetup(int typeGen) {
    char pattern[] = "/tmp/relvan-micro-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("no temporary folder");
    }
    m_dir = pattern;
    sim::World& world = sim::World::Get();
    world.Reset();
    world.currentDirectory = m_dir;
    theApp.m_strHostTitle = "Imaging Host";
    std::ofstream(m_dir + "/Lumora.ini", std::ios::binary)
        << "[CONTROLPANNEL]\r\nTypeGen=" << typeGen
        << "\r\n[GENERATOR]\r\nCOMPORT=2\r\nEnableDebug=0\r\nUseMiniConsole=0\r\n";
    world.Serial(kPort).present = true;
    world.AddHostWindow(theApp.m_strHostTitle);
    m_dlg = std::make_unique<CRelvanDlg>();
    m_dlg->Create(nullptr);
    world.Advance(1000); // start-up timers
    Forget();
}

DialogSetup::~DialogSetup() {
    m_dlg.reset();
    const std::string command = "rm -rf '" + m_dir + "'";
    if (std::system(command.c_str()) != 0) {
        std::abort();
    }
}

void DialogSetup::Forget() {
    sim::World& world = sim::World::Get();
    for (sim::HostWindow& host : world.Hosts()) {
        host.received.clear();
    }
    world.ClearWritten(kPort);
}

} // namespace microbench
