// Arbitrary WM_COPYDATA records from the host: kind, cbData, and a block that
// may be absent. The block handed over is exactly cbData bytes long, as the
// system copies it, so ASan catches any read past it.
#include "FuzzWorld.h"

#include <cstring>

namespace {

std::uint32_t ReadU32(const std::uint8_t* data) {
    std::uint32_t value = 0;
    std::memcpy(&value, data, 4);
    return value;
}

// The kinds worth hitting, chosen by the input; any other value stands as is.
DWORD KindOf(std::uint32_t raw) {
    static const DWORD kinds[] = {742066, 742067, 742072, 742065, 112, 113};
    return (raw & 0x80000000u) ? raw : kinds[raw % 6];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 10) {
        return 0;
    }
    const int types[] = {kType11, kType13, kType17};
    CRelvanDlg& main = fuzz::MainWindow(types[data[0] % 3], "UseMiniConsole=1\n");
    const DWORD kind = KindOf(ReadU32(data + 1));
    const bool present = (data[5] & 1) != 0;
    std::vector<std::uint8_t> block(data + 6, data + size);
    // cbData is the block's length, or (for the code-number kinds) a small
    // code or one above 1000 with the block cut to it.
    DWORD cbData = static_cast<DWORD>(block.size());
    if (data[5] & 2) {
        cbData = (data[5] & 4) ? 1000 + (data[5] >> 3) : (data[5] >> 3);
        block.resize(cbData);
    }
    COPYDATASTRUCT record{};
    record.dwData = kind;
    record.cbData = cbData;
    record.lpData = present && cbData > 0 ? block.data() : nullptr;
    main.SendMessage(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record));
    sim::World::Get().Advance(300);
    fuzz::FeedInChunks(nullptr, 0);
    return 0;
}
