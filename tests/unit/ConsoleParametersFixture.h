// The console charged and ready for the operator's and the host's choices:
// the parameters, the options and the mode change are tested from here.
#pragma once

#include "ConsoleFixture.h"

#include "platform/Files.h"
#include "platform/PrivateProfile.h"

#include <fstream>
#include <sstream>

class ConsoleParametersFixture : public ConsoleFixture {
protected:
    // Model 2 powered on and charged, its charge completion done (BUCKY1,
    // rotor low, small focus, low scale, steps kV 0, mA 0, sec 14); link
    // calls, owner notes and logs cleared.
    void StartCharged(const std::string& keys = "Model=2\r\n") {
        Start(keys);
        PowerOnToCharge();
        Advance(1000);
        Clear();
    }

    void Press(int id) { ASSERT_TRUE(panel->console.OnCommand(id)) << id; }
    void Host(unsigned code, const std::string& text = "") {
        panel->console.OnHostCommand(code, text);
    }
    // Changes the console's state in place, e.g. to put a step at its limit.
    template <class Change> void Modify(Change change) {
        ConsoleState state = State();
        change(state);
        panel->console.RestoreState(state);
    }

    std::string DataPath(const std::string& name) const { return m_root + "/data/" + name; }
    std::string ReadData(const std::string& name) const {
        std::ifstream in(DataPath(name), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    void AppendData(const std::string& name, const std::string& bytes) {
        std::ofstream(DataPath(name), std::ios::binary | std::ios::app) << bytes;
    }
    int RefValue(const std::string& section, const std::string& key) const {
        return platform::ReadProfileInt(DataPath("ref_data.dat"), section, key, -999);
    }
    // A save of `name` cannot succeed: a folder with a file in it stands
    // where the new file would be written.
    void BlockReplacing(const std::string& name) {
        Run("mkdir -p '" + DataPath(name) + ".new' && touch '" + DataPath(name) + ".new/x'");
    }
};
