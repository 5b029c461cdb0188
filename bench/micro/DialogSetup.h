// A CRelvanDlg of one generator type on the simulated desktop, for the
// micro-benchmarks: COM2, the host window present, EnableDebug=0 (no trace lines in
// the log, so the log writer is not what is measured).
#pragma once

#include "app/RelvanDlg.h"

#include <memory>
#include <string>

namespace microbench {

constexpr const char* kPort = "COM2";

class DialogSetup {
public:
    explicit DialogSetup(int typeGen);
    ~DialogSetup();
    DialogSetup(const DialogSetup&) = delete;
    DialogSetup& operator=(const DialogSetup&) = delete;

    CRelvanDlg& Dialog() { return *m_dlg; }
    // Forgets what the host received and what was written on the port.
    void Forget();

private:
    std::string m_dir;
    std::unique_ptr<CRelvanDlg> m_dlg;
};

} // namespace microbench
