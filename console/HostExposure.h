// The host's complete exposure (console command 110): nine fields separated
// by ";": kV and mA (integers), time in seconds and mAs (decimal), the mode
// (0 time, 1 mAs, 2 AEC), a value the console does not use, and the AEC
// field digits for field 1, 2 and 3. Missing fields read as 0.
#pragma once

#include <string>

struct HostExposure {
    int kv = 0;
    int ma = 0;
    double sec = 0.0;
    double mas = 0.0;
    int mode = 0;
    int fieldOnes = 0;     // field 1
    int fieldTens = 0;     // field 2
    int fieldHundreds = 0; // field 3
};

HostExposure ParseHostExposure(const std::string& text);
