// Arbitrary blocks from a type-17 mini-console, in arbitrary chunks.
#include "FuzzWorld.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CRelvanDlg& main = fuzz::MainWindow(kType17, "UseMiniConsole=1\nDevice=22\n");
    fuzz::FeedInChunks(data, size);
    return main.m_strRxBuf.size() <= 8192 ? 0 : (std::abort(), 0);
}
