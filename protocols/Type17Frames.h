// The text handling of type-17 replies, apart from the main window's state:
// line-ended and Error replies made frame-like, joined text cut into frame
// pieces at ETX, and a piece stripped of its framing.
#pragma once

#include <string>
#include <vector>

// A reply that ends its lines with CR LF: without ETX every CR LF becomes
// ETX ACK (the ACK stands where a checksum byte would be) and the mark is 1;
// with an ETX the CR LF pairs are removed and the mark is 0. Returns false
// (text unchanged) when the text holds no CR LF.
bool RewriteLineEnded(std::string& text, int& mark);

// An "Error" reply: every "Error " becomes "ADZ " and ETX ACK is appended.
// Returns false (text unchanged) when the text holds no "Error".
bool RewriteErrorReply(std::string& text);

struct Type17Pieces {
    std::vector<std::string> frames; // frame pieces in order, still framed
    std::string pending;             // the start of a frame still to come
    bool checksumDue = false;        // the text ended with a frame's ETX
};

// Cuts joined text at ETX. Each piece loses its first character: for the first
// piece the first SYN, for later ones the checksum byte of the frame before,
// which is taken as a checksum whatever its value (also ETX). A last piece with
// no ETX after it is kept as pending; an empty piece ends the collection and
// whatever follows it is not looked at. `opensWithChecksum`: the text before
// ended with a frame's ETX, so this text's first byte is that frame's checksum.
Type17Pieces CollectType17Frames(const std::string& text, bool opensWithChecksum = false);

// A frame piece without its leading SYN, then leading STX, then trailing ETX
// characters.
std::string StripFraming(std::string piece);
