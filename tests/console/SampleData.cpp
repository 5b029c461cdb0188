#include "SampleData.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace check {

namespace fs = std::filesystem;

SampleData::SampleData() {
    char pattern[] = "/tmp/relvan-check-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::abort();
    }
    m_root = pattern;
    fs::copy(RELVAN_SOURCE_DIR "/tools/consoledata/data", m_root + "/data",
             fs::copy_options::recursive);
    // A save writes "<file>.new" and renames it: with a folder of that name
    // it fails, and the data stays as it is.
    for (const char* file : {"ref_data.dat.new", "step_ma.dat.new"}) {
        fs::create_directory(m_root + "/data/" + file);
    }
    for (int model : {1, 2}) {
        std::ofstream(IniFor(model), std::ios::binary)
            << "[Generator]\r\nModel=" << model << "\r\nDelayCheck=10\r\n";
    }
}

SampleData::~SampleData() {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

std::string SampleData::IniFor(int model) const {
    return m_root + "/Lumora-" + std::to_string(model) + ".ini";
}

} // namespace check
