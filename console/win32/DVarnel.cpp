// CDVarnel and its Hosting: the site window, the control in it, and the
// queue of its events.
//
// Events are never handed to the panel where the control raised them: the
// sink queues them and the site window posts itself a message, whose handler
// delivers them in order once no call into the control and no other handler
// is running. So the panel never sees an event inside its own call into the
// control (controls raise events synchronously inside Invoke), and never
// inside the control's own raising, where destroying the control would pull
// it from under itself.
//
// A Hosting goes away only when nothing of it is on the stack: Retire (from
// CDVarnel::Destroy) marks it; the control is released as soon as no call
// into it runs, and the Hosting deleted when no call and no handler runs.
#include "console/win32/DVarnel.h"

#include "console/win32/LinkEventSink.h"
#include "console/win32/LinkSite.h"
#include "console/win32/OleText.h"

#include <deque>
#include <set>
#include <utility>
#include <vector>

const CLSID CLSID_RelvanLinkControl = {
    0x7127E44D, 0x6E77, 0x4C78, {0xB2, 0xC9, 0x50, 0x2C, 0xB5, 0x6E, 0xE6, 0x93}};

namespace {

constexpr char kSiteClass[] = "RelvanLinkSite";
constexpr UINT WM_DELIVER_EVENTS = WM_APP + 1;
constexpr char kControlName[] = "Link control {7127E44D-6E77-4C78-B2C9-502CB56EE693}";
// The control's PortState event (relvanlink.dll's LinkCodes.h).
constexpr int kPortStateEvent = 100;
// A status text waiting in the event queue beside the events.
constexpr int kStatusEntry = -1;

enum LogLevel { kError = 1, kWarning = 2, kInformation = 3 };

// What a call that failed with the control's own text reports.
std::string FailureText(HRESULT outcome, const EXCEPINFO& exception) {
    const HRESULT code = exception.scode != 0 ? exception.scode : outcome;
    return BstrToNarrow(exception.bstrDescription) + " (" + HResultText(code) + ")";
}

LRESULT CALLBACK SiteWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool RegisterSiteClass() {
    WNDCLASSA windowClass{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), kSiteClass, &windowClass)) {
        return true;
    }
    windowClass.lpfnWndProc = SiteWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kSiteClass;
    return RegisterClassA(&windowClass) != 0;
}

} // namespace

class CDVarnel::Hosting {
public:
    Hosting(LinkLog log, LinkEventHandler handler, LinkStatus status)
        : m_log(std::move(log)), m_handler(std::move(handler)), m_status(std::move(status)) {}

    bool Create(HWND parent, int id, const RECT& rect);
    void SetHandler(LinkEventHandler handler) { m_handler = std::move(handler); }
    void SetStatus(LinkStatus status) { m_status = std::move(status); }
    bool HasControl() const { return m_dispatch != nullptr; }
    HWND Window() const { return m_window; }
    void Call(int dispatchId, const LinkArgs& args);
    // Ends this hosting: at once when nothing of it runs, else when that ends.
    void Retire();

    void Queue(int eventId, LinkArgs args);
    void DeliverEvents();
    void WindowDestroyed();

private:
    ~Hosting() = default;

    bool CreateControl();
    void ActivateControl();
    void ConnectEvents();
    void ReleaseControl();
    void PostDelivery();
    void Deliver(int eventId, const LinkArgs& args);
    void OnPortState(const LinkArgs& args);
    void OnCallResult(int dispatchId, HRESULT outcome, const EXCEPINFO& exception);
    // Leaves a call (or a handler) counted in `depth`; may delete this.
    void Leave(int& depth);
    void Log(const std::string& text, int level) const;

    LinkLog m_log;
    LinkEventHandler m_handler;
    LinkStatus m_status;
    HWND m_window = nullptr;
    bool m_oleInitialized = false;
    LinkSite* m_site = nullptr;
    IOleObject* m_object = nullptr;
    IDispatch* m_dispatch = nullptr;
    LinkEventSink* m_sink = nullptr;
    LinkEventConnection m_connection;

    std::deque<std::pair<int, LinkArgs>> m_events;
    bool m_deliveryPosted = false;
    int m_calls = 0;
    int m_handlers = 0;
    bool m_retired = false;
    std::set<int> m_refusedMethods;
    std::set<int> m_failingMethods;
};

namespace {

CDVarnel::Hosting* HostingOf(HWND window) {
    return reinterpret_cast<CDVarnel::Hosting*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK SiteWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDVarnel::Hosting* hosting = HostingOf(window);
    if (hosting != nullptr && message == WM_DELIVER_EVENTS) {
        hosting->DeliverEvents();
        return 0;
    }
    if (hosting != nullptr && message == WM_DESTROY) {
        hosting->WindowDestroyed();
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

bool CDVarnel::Hosting::Create(HWND parent, int id, const RECT& rect) {
    const HRESULT ole = OleInitialize(nullptr);
    if (FAILED(ole)) {
        Log("Link control cannot be hosted on this thread: OleInitialize gave " + HResultText(ole),
            kError);
        return false;
    }
    m_oleInitialized = true;
    if (!RegisterSiteClass()) {
        Log("Link control site window class cannot be registered: error " +
                std::to_string(GetLastError()),
            kError);
        return false;
    }
    m_window = CreateWindowExA(0, kSiteClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                               rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
    if (m_window == nullptr) {
        Log("Link control site window cannot be created: error " + std::to_string(GetLastError()),
            kError);
        return false;
    }
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_site = new LinkSite(m_window);
    ++m_calls;
    const bool created = CreateControl();
    Leave(m_calls);
    return created;
}

bool CDVarnel::Hosting::CreateControl() {
    HRESULT result = CoCreateInstance(CLSID_RelvanLinkControl, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IOleObject, reinterpret_cast<void**>(&m_object));
    if (FAILED(result)) {
        m_object = nullptr;
        Log(std::string(kControlName) + " cannot be created: " + HResultText(result), kError);
        return false;
    }
    ActivateControl();
    result = m_object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&m_dispatch));
    if (FAILED(result)) {
        m_dispatch = nullptr;
        Log(std::string(kControlName) + " has no dispatch interface: " + HResultText(result),
            kError);
        return false;
    }
    ConnectEvents();
    return true;
}

// Client site (first or after initialisation, as the control asks), fresh
// persistent state, then in-place activation in the site window. A control
// that does not activate is still called: its methods are what the console
// needs.
void CDVarnel::Hosting::ActivateControl() {
    DWORD status = 0;
    m_object->GetMiscStatus(DVASPECT_CONTENT, &status);
    const bool siteFirst = (status & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst) {
        m_object->SetClientSite(m_site);
    }
    IPersistStreamInit* persist = nullptr;
    if (SUCCEEDED(
            m_object->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)))) {
        persist->InitNew();
        persist->Release();
    }
    if (!siteFirst) {
        m_object->SetClientSite(m_site);
    }
    m_object->SetHostNames(L"Relvan", nullptr);
    RECT client{};
    GetClientRect(m_window, &client);
    const HRESULT result =
        m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_site, 0, m_window, &client);
    if (FAILED(result)) {
        Log(std::string(kControlName) + " is not active in place: " + HResultText(result),
            kWarning);
    }
}

void CDVarnel::Hosting::ConnectEvents() {
    IID eventInterface{};
    if (!FindEventInterface(m_object, eventInterface)) {
        Log(std::string(kControlName) + " names no event interface: its events are not received",
            kError);
        return;
    }
    m_sink = new LinkEventSink(
        eventInterface, [this](int eventId, LinkArgs args) { Queue(eventId, std::move(args)); });
    const HRESULT result = m_connection.Connect(m_object, eventInterface, m_sink);
    if (FAILED(result)) {
        Log(std::string(kControlName) + " events are not connected: " + HResultText(result),
            kError);
    }
}

// Methods are called with the texts as BSTRs, last argument first as OLE
// wants them.
void CDVarnel::Hosting::Call(int dispatchId, const LinkArgs& args) {
    if (m_dispatch == nullptr || m_retired) {
        return;
    }
    std::vector<VARIANT> values(args.size());
    for (size_t index = 0; index < args.size(); ++index) {
        VARIANT& value = values[args.size() - 1 - index];
        VariantInit(&value);
        V_VT(&value) = VT_BSTR;
        V_BSTR(&value) = NarrowToBstr(args[index]);
    }
    DISPPARAMS params{values.empty() ? nullptr : values.data(), nullptr,
                      static_cast<UINT>(values.size()), 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT argumentError = 0;
    ++m_calls;
    const HRESULT outcome =
        m_dispatch->Invoke(dispatchId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                           &result, &exception, &argumentError);
    for (VARIANT& value : values) {
        VariantClear(&value);
    }
    VariantClear(&result);
    OnCallResult(dispatchId, outcome, exception);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    Leave(m_calls);
}

// A call that the control refuses (a method it lacks, arguments it does not
// take) is logged once per method. A call that fails with the control's own
// text (its link cannot carry it) is logged at its method's first failure,
// and the first success after such failures is logged; the operator sees the
// first of them (the console's own text, such as "Generator Power ON Start",
// must not stay as if the call had gone out).
void CDVarnel::Hosting::OnCallResult(int dispatchId, HRESULT outcome, const EXCEPINFO& exception) {
    const std::string method = std::string(kControlName) + " method " + std::to_string(dispatchId);
    if (SUCCEEDED(outcome)) {
        if (!m_failingMethods.empty()) {
            m_failingMethods.clear();
            Log(method + " succeeds again", kInformation);
        }
        return;
    }
    const bool described = outcome == DISP_E_EXCEPTION && exception.bstrDescription != nullptr;
    if (!described) {
        if (m_refusedMethods.insert(dispatchId).second) {
            Log(method + " failed: " + HResultText(outcome), kError);
        }
        return;
    }
    if (m_failingMethods.empty()) {
        Queue(kStatusEntry, {BstrToNarrow(exception.bstrDescription) + " !!"});
    }
    if (m_failingMethods.insert(dispatchId).second) {
        Log(method + " failed: " + FailureText(outcome, exception), kError);
    }
}

void CDVarnel::Hosting::Queue(int eventId, LinkArgs args) {
    if (m_retired || m_window == nullptr) {
        return;
    }
    m_events.emplace_back(eventId, std::move(args));
    PostDelivery();
}

void CDVarnel::Hosting::PostDelivery() {
    if (!m_deliveryPosted && m_window != nullptr &&
        PostMessageA(m_window, WM_DELIVER_EVENTS, 0, 0)) {
        m_deliveryPosted = true;
    }
}

// From the posted message. Inside a call or a handler (a control or a panel
// that runs a message loop there) nothing is delivered: the outermost one
// posts again when it ends.
void CDVarnel::Hosting::DeliverEvents() {
    m_deliveryPosted = false;
    if (m_calls > 0 || m_handlers > 0) {
        return;
    }
    ++m_handlers;
    while (!m_events.empty() && !m_retired) {
        std::pair<int, LinkArgs> event = std::move(m_events.front());
        m_events.pop_front();
        Deliver(event.first, event.second);
    }
    Leave(m_handlers);
}

void CDVarnel::Hosting::Deliver(int eventId, const LinkArgs& args) {
    if (eventId == kPortStateEvent) {
        OnPortState(args);
    } else if (eventId == kStatusEntry) {
        if (m_status && !args.empty()) {
            LinkStatus status = m_status;
            status(args[0]);
        }
    } else if (m_handler) {
        LinkEventHandler handler = m_handler;
        handler(eventId, args);
    }
}

// PortState(port, state, text): "open" again is good news, the rest trouble.
void CDVarnel::Hosting::OnPortState(const LinkArgs& args) {
    if (args.size() < 3) {
        return;
    }
    const bool up = args[1] == "open";
    Log(args[2], up ? kInformation : kWarning);
    if (m_status) {
        LinkStatus status = m_status;
        status(args[2] + " !!");
    }
}

void CDVarnel::Hosting::Leave(int& depth) {
    --depth;
    if (m_calls > 0 || m_handlers > 0) {
        return;
    }
    if (m_retired || m_window == nullptr) {
        ReleaseControl();
    }
    if (m_retired) {
        delete this;
        return;
    }
    if (!m_events.empty()) {
        PostDelivery();
    }
}

void CDVarnel::Hosting::Retire() {
    m_retired = true;
    m_handler = nullptr;
    m_events.clear();
    if (m_calls == 0 && m_handlers == 0) {
        ReleaseControl();
        delete this;
    }
}

// The parent destroyed the site window before Destroy: the control goes with
// it (now, or when the call into it that is running ends).
void CDVarnel::Hosting::WindowDestroyed() {
    SetWindowLongPtrA(m_window, GWLP_USERDATA, 0);
    if (m_site != nullptr) {
        m_site->Detach();
    }
    m_window = nullptr;
    m_events.clear();
    if (m_calls == 0) {
        ReleaseControl();
    }
}

// Disconnect the events, deactivate, close and release the control, then the
// site window and the apartment. Safe to repeat.
void CDVarnel::Hosting::ReleaseControl() {
    m_connection.Disconnect();
    if (m_sink != nullptr) {
        m_sink->Detach();
        m_sink->Release();
        m_sink = nullptr;
    }
    if (m_dispatch != nullptr) {
        m_dispatch->Release();
        m_dispatch = nullptr;
    }
    if (m_object != nullptr) {
        IOleInPlaceObject* inPlace = nullptr;
        if (SUCCEEDED(m_object->QueryInterface(IID_IOleInPlaceObject,
                                               reinterpret_cast<void**>(&inPlace)))) {
            inPlace->InPlaceDeactivate();
            inPlace->Release();
        }
        m_object->Close(OLECLOSE_NOSAVE);
        m_object->SetClientSite(nullptr);
        m_object->Release();
        m_object = nullptr;
    }
    if (m_window != nullptr) {
        HWND window = m_window;
        WindowDestroyed();
        DestroyWindow(window);
    }
    if (m_site != nullptr) {
        m_site->Detach();
        m_site->Release();
        m_site = nullptr;
    }
    if (m_oleInitialized) {
        m_oleInitialized = false;
        OleUninitialize();
    }
}

void CDVarnel::Hosting::Log(const std::string& text, int level) const {
    if (m_log) {
        m_log(text, level);
    }
}

CDVarnel::CDVarnel() = default;

CDVarnel::~CDVarnel() {
    Destroy();
}

void CDVarnel::SetLog(LinkLog log) {
    m_log = std::move(log);
}

void CDVarnel::SetEventHandler(LinkEventHandler handler) {
    m_handler = handler;
    if (m_hosting != nullptr) {
        m_hosting->SetHandler(std::move(handler));
    }
}

void CDVarnel::SetStatusHandler(LinkStatus status) {
    m_status = status;
    if (m_hosting != nullptr) {
        m_hosting->SetStatus(std::move(status));
    }
}

bool CDVarnel::Create(HWND parent, int id, const RECT& rect) {
    Destroy();
    m_hosting = new Hosting(m_log, m_handler, m_status);
    if (!m_hosting->Create(parent, id, rect)) {
        Destroy();
        return false;
    }
    return true;
}

bool CDVarnel::IsPresent() const {
    return m_hosting != nullptr && m_hosting->HasControl();
}

HWND CDVarnel::GetSafeHwnd() const {
    return m_hosting != nullptr ? m_hosting->Window() : nullptr;
}

void CDVarnel::Invoke(int dispatchId, const LinkArgs& args) {
    if (m_hosting != nullptr) {
        m_hosting->Call(dispatchId, args);
    }
}

void CDVarnel::Destroy() {
    if (m_hosting != nullptr) {
        Hosting* hosting = m_hosting;
        m_hosting = nullptr;
        hosting->Retire();
    }
}
