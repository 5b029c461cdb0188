// OtherInstance: the single-instance check, asked once at start-up.
#pragma once

#include <string>

class OtherInstance {
public:
    // True when another process runs this executable (by file name, without
    // regard to case or folder). It is then brought forward. Every failure
    // of the check counts as no other instance: the check is best-effort.
    bool IsOtherInstanceRunning();
};

// The lower-cased file name of the running executable, without folder.
std::string GetExeFileName();
