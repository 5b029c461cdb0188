// Where the component finds its device: keys "LinkPort" (a COM port, "6" or
// "COM6") and "LinkBaud" (default 115200) of section "Generator" in
// "Lumora.ini" in the folder of the program that hosts it.
#pragma once

#include <string>

struct LinkSettings {
    int port = 0;         // 0: no port configured, or the text names none
    std::string portText; // the key's text as written, for messages
    unsigned baud = 115200;
};

LinkSettings ReadLinkSettings();
