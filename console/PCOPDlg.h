// CPCOPDlg: the operator console panel (dialog 103), a child window of the
// main window. It binds the console's rules (CConsole) to the dialog: every
// click, timer and link event goes to the rules, and afterwards the rules'
// view of the controls is copied to the dialog, touching only what changed.
// It hosts the link control (control 1076) and gives the rules the parallel
// port, its timers and its owner's log, data root and messages.
#pragma once

#include "console/Console.h"
#include "console/ConsoleOutputs.h"
#include "console/ConsolePanel.h"
#include "console/PanelControls.h"
#include "console/PanelFaces.h"
#include "platform/Dialog.h"

#include <memory>
#include <string>

class CRelvanDlg;

class CPCOPDlg : public CDialog, public IConsolePanel, private IConsoleOutputs {
public:
    CPCOPDlg();
    ~CPCOPDlg() override;

    // IConsolePanel, for the main window.
    bool CreatePanel(CDialog* parent) override;
    void ShowPanel(int showCommand) override;
    WindowRect PanelClientRect() const override;
    void MovePanel(int x, int y, int width, int height) override;
    void DestroyPanel() override;
    void PowerOn() override;
    void PowerOff() override;
    void Exit() override;
    void HostCommand(unsigned code, const std::string& text) override;
    std::string StatusText() const override;

    BOOL OnInitDialog() override;
    bool WindowProc(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    const CConsole& Console() const { return m_console; }

private:
    // IConsoleOutputs, for the rules.
    void SetPanelTimer(unsigned id, unsigned periodMs) override;
    void KillPanelTimer(unsigned id) override;
    void PostStatusText(const std::string& text) override;
    void SendStatusText(const std::string& text) override;
    void PostCharged() override;
    void PostPoweredOff() override;
    void PostCloseRequest() override;
    void SendValueToHost(const std::string& text) override;
    void Beep(unsigned frequencyHz, unsigned durationMs) override;
    void Wait(unsigned ms) override;
    void Log(const std::string& text, int level) override;
    std::string DataRoot() const override;

    void CreateLinkControl();
    void OnCommand(WPARAM wParam);
    // Copies the rules' view to the controls: all of it the first time,
    // afterwards only the controls whose view changed.
    void ShowView();
    void ShowControl(int id, const panel::ControlView& view, const panel::ControlView* shown);

    CDialog* m_pOwner = nullptr;
    CRelvanDlg* m_pMainWindow = nullptr; // the owner, when it is the main window
    std::unique_ptr<IPanelFaces> m_faces;
    CConsole m_console;
    panel::PanelView m_shown;
    bool m_bViewShown = false;
};
