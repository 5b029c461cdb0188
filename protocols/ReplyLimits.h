// Bounds on what the receive parsers keep of a reply that has not ended yet.
// Generator input is untrusted: without a bound, noise that never brings a
// frame end would grow the buffers for ever.
#pragma once

#include <cstddef>

// Types 11 and 13. Our own frames fit a 100-byte write buffer, but a generator's
// status replies carry many items and may be longer; 1024 bytes leaves ample
// room for any real reply. Longer text is dropped and the parser starts afresh.
constexpr std::size_t kMaxByteReply = 1024;

// Type 17: text kept between blocks. One block is at most 4096 bytes (the
// link port's receive buffer); an unfinished frame never needs more.
constexpr std::size_t kMaxLinkPending = 4096;
