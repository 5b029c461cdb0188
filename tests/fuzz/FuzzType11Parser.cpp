// Arbitrary bytes from a type-11 generator, in arbitrary chunks.
#include "FuzzWorld.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CRelvanDlg& main = fuzz::MainWindow(kType11);
    fuzz::FeedInChunks(data, size);
    return main.m_strRxBuf.size() <= 2048 ? 0 : (std::abort(), 0);
}
