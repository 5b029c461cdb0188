#pragma once
// One line of hostsim's script, read from its command line or its standard input.
//
//   send <text>                 generator command 742066, cbData = length + 1
//   cmd <code> [text]           generator command 742066 with cbData = code
//   console <code> [text]       console command 742067 with cbData = code
//   list <text>                 parameter list 742072, cbData = length + 1
//   raw <kind> <cbData> <hex|null>   exactly that block, for malformed records
//   sleep <ms>                  pause before the next line
//   quit                        end hostsim
//
// With a code, the system copies exactly `code` bytes, as it does for the real host:
// the block holds the text, its NUL and zeros up to `code` bytes, so a code shorter
// than the text delivers the text cut and unterminated. Empty lines and lines
// starting with '#' do nothing.
#include <windows.h>

#include <string>
#include <vector>

namespace hostsim {

struct OutgoingRecord {
    DWORD kind = 0;
    DWORD cbData = 0;
    bool nullData = false;
    std::vector<unsigned char> block; // at least cbData bytes unless nullData
    bool showHex = false;             // print the block as hex rather than as text
};

enum class Action { Nothing, Send, Sleep, Quit, Invalid };

struct HostCommand {
    Action action = Action::Nothing;
    OutgoingRecord record;
    DWORD sleepMs = 0;
    std::string error;
};

HostCommand parseHostCommand(const std::string& line);

// The line hostsim prints after sending: SENT kind=742066 cb=5 text="KV70".
std::string describeSent(const OutgoingRecord& record);

} // namespace hostsim
