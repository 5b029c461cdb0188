// The console panel's faces in the product: the USB link control hosted by
// CDVarnel and the parallel port through INPOUT32.dll.
#include "console/PanelFaces.h"

#include "console/win32/DVarnel.h"
#include "console/win32/InpOut32Port.h"
#include "platform/Dialog.h"
#include "res/resource.h"

namespace {

class Win32PanelFaces : public IPanelFaces {
public:
    explicit Win32PanelFaces(PanelLog log) : m_log(std::move(log)), m_port(m_log) {
        m_link.SetLog(m_log);
    }

    ILinkControl& Link() override { return m_link; }
    IParallelPort& Port() override { return m_port; }

    bool CreateLink(CDialog& panel, LinkEventHandler onEvent, LinkStatusHandler onStatus) override {
        m_link.SetEventHandler(std::move(onEvent));
        m_link.SetStatusHandler(std::move(onStatus));
        RECT rect{0, 0, 8, 8};
        MapDialogRect(panel.GetSafeHwnd(), &rect);
        return m_link.Create(panel.GetSafeHwnd(), IDC_LINK_CONTROL, rect);
    }

    void DestroyLink() override { m_link.Destroy(); }

    std::string PortStatusText() const override { return m_port.StatusText(); }

private:
    PanelLog m_log;
    CDVarnel m_link;
    CInpOut32Port m_port;
};

} // namespace

std::unique_ptr<IPanelFaces> MakePanelFaces(PanelLog log) {
    return std::make_unique<Win32PanelFaces>(std::move(log));
}
