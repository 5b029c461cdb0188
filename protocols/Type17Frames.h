// The receive side of type 17 on the stream of received text, apart from the
// main window's state. Units are cut from the stream as it comes, so the same
// bytes give the same units however the port's reads cut them into blocks.
//
// Units are cut from the bytes as received. A unit is either
//   - a frame: text up to an ETX, then one checksum byte, taken as the
//     checksum whatever its value (also 0, ETX, CR or LF); or
//   - a line: text without STX ended by CR LF, as a generator writes plain
//     text replies ("Error 12\r\n"). The CR LF stands for ETX and checksum.
// CR LF inside a frame (after its STX) does not end it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct Type17Unit {
    std::string text;  // ReceivedText of the unit, without ETX and checksum or CR LF
    bool line = false; // ended by CR LF
};

// The text of received bytes: zero bytes left out, every byte above 0x7F
// shown as '.'.
std::string ReceivedText(const std::string& bytes);

// Appends the received bytes `block` to the unit still open in `pending` (raw
// bytes) and takes out every
// unit it completes, in order. A unit that would grow past kMaxLinkPending
// bytes without ending is dropped (its size is added to `dropped`), and the
// next one starts with the byte that found no room.
std::vector<Type17Unit> TakeType17Units(std::string& pending, const std::string& block,
                                        std::vector<std::size_t>& dropped);

// Removes every CR LF; false when there is none.
bool RemoveLineEnds(std::string& text);

// Every "Error " (with its blank) becomes "ADZ ". False (text unchanged) when
// the text holds no "Error".
bool RewriteErrorReply(std::string& text);

// A frame piece without its leading SYN, then leading STX, then trailing ETX
// characters.
std::string StripFraming(std::string piece);
