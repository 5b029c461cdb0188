// CRelvanApp: the application object. One instance for the whole process.
#pragma once

#include <string>

class CRelvanApp {
public:
    // Runs the program: refuses a second copy, makes the executable's folder
    // current, keeps the host window title and runs the main dialog. Returns
    // FALSE in every case (the process ends when the dialog ends).
    int InitInstance(int argc, char** argv);

    // The exact title of the host's top-level window (first argument); empty
    // when the program was started without one.
    std::string m_strHostTitle;
};

extern CRelvanApp theApp;
