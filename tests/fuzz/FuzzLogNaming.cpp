// Log file naming over arbitrary delimiters, base names, folders, extensions,
// modes and dates: a name is always made and refused delimiters are kept out.
#include "platform/sim/SimWorld.h"
#include "support/LogFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string Take(const std::uint8_t*& data, std::size_t& size, std::size_t length) {
    length = std::min(length, size);
    std::string text(reinterpret_cast<const char*>(data), length);
    data += length;
    size -= length;
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) {
        return 0;
    }
    platform::LocalTime start = sim::World::DefaultStart();
    start.month = 1 + data[0] % 12;
    start.day = 1 + data[1] % 28;
    const int modes[] = {0, 1, 7, 15, 31, data[2]};
    const int mode = modes[data[2] % 6];
    const std::size_t lengths = data[3];
    data += 4;
    size -= 4;
    sim::World::Get().Reset(start);

    CLogFile log;
    const std::string delimiter = Take(data, size, lengths % 4);
    log.SetDelimiter(delimiter);
    log.SetBaseName(Take(data, size, (lengths >> 2) % 8));
    log.SetDirectory(Take(data, size, (lengths >> 5) % 8));
    log.SetExtension(Take(data, size, size));
    log.SetNaming(mode);
    const std::string name = log.BuildFileName();
    const bool refused = !sim::World::Get().MessageBoxes().empty();
    if (name.empty() || (refused && log.GetDelimiter() == delimiter)) {
        std::abort();
    }
    return 0;
}
