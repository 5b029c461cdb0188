// Where the component finds its device: keys "LinkPort" (COM number) and
// "LinkBaud" (default 115200) of section "Generator" in "Lumora.ini" in the
// folder of the program that hosts it.
#pragma once

struct LinkSettings {
    int port = 0; // 0: no port configured
    unsigned baud = 115200;
};

LinkSettings ReadLinkSettings();
