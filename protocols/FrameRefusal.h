// What the byte-port protocols do when the port refuses a frame: a log line
// naming the command, so that no refusal goes unnoticed. A port that is not
// open needs none: its failure to open was logged.
#pragma once

#include "serial/WriteQueue.h"

#include <string>

class CRelvanDlg;

// True when the frame was queued; otherwise logs why it was not.
bool FrameQueued(CRelvanDlg& dialog, QueueResult result, const std::string& command);
