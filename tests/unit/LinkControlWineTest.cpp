// The link control's site (CDVarnel) hosting our component (relvanlink.dll)
// under Wine, over the serial line that run-wine-unit-tests.sh makes: COM41 is
// the component's port, COM42 the device end this test plays. One scenario,
// as the registry and the Lumora.ini beside this program are shared.
#include "LinkWineFixture.h"
#include "console/win32/LinkEventSink.h"

#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>

#include <string>
#include <vector>

namespace {

std::string ProgramFolder() {
    char path[MAX_PATH];
    std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

const std::string kControl = "Link control {7127E44D-6E77-4C78-B2C9-502CB56EE693}";

// What regsvr32 does: the DLL's own DllRegisterServer or DllUnregisterServer.
bool RegisterComponent(bool enter) {
    HMODULE dll = LoadLibraryA((ProgramFolder() + "relvanlink.dll").c_str());
    if (dll == nullptr) {
        return false;
    }
    auto address = reinterpret_cast<void (*)()>(
        GetProcAddress(dll, enter ? "DllRegisterServer" : "DllUnregisterServer"));
    auto entry = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(address);
    const bool done = entry != nullptr && SUCCEEDED(entry());
    FreeLibrary(dll);
    return done;
}

// The device end of the line: reads return at once with what has arrived.
class Device {
public:
    Device() {
        m_port = CreateFileA("\\\\.\\COM42", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr);
        COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 1000};
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (IsOpen() && GetCommState(m_port, &dcb)) {
            dcb.BaudRate = 115200;
            dcb.ByteSize = 8;
            dcb.Parity = NOPARITY;
            dcb.StopBits = ONESTOPBIT;
            SetCommState(m_port, &dcb);
            SetCommTimeouts(m_port, &timeouts);
        }
    }
    ~Device() {
        if (IsOpen()) {
            CloseHandle(m_port);
        }
    }
    bool IsOpen() const { return m_port != INVALID_HANDLE_VALUE; }
    void Send(const std::string& bytes) {
        DWORD written = 0;
        WriteFile(m_port, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    // The lines (without LF) that arrive within `ms`, up to `count` of them.
    std::vector<std::string> Lines(size_t count, DWORD ms = kLinkWaitMs) {
        const DWORD start = GetTickCount();
        std::vector<std::string> lines;
        while (lines.size() < count && GetTickCount() - start < ms) {
            char buffer[256];
            DWORD got = 0;
            if (!ReadFile(m_port, buffer, sizeof buffer, &got, nullptr) || got == 0) {
                Sleep(5);
                continue;
            }
            m_pending.append(buffer, got);
            for (size_t end; (end = m_pending.find('\n')) != std::string::npos;) {
                lines.push_back(m_pending.substr(0, end));
                m_pending.erase(0, end + 1);
            }
        }
        return lines;
    }

private:
    HANDLE m_port = INVALID_HANDLE_VALUE;
    std::string m_pending;
};

// With the Lumora.ini beside this program that the component reads.
class LinkControlWine : public LinkSiteFixture {
protected:
    void TearDown() override {
        LinkSiteFixture::TearDown();
        DeleteFileA(m_ini.c_str());
    }
    void WriteIni(const std::string& port) {
        const std::string text = "[Generator]\r\nLinkPort=" + port + "\r\n";
        HANDLE file =
            CreateFileA(m_ini.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }

    const std::string m_ini = ProgramFolder() + "Lumora.ini";
};

TEST_F(LinkControlWine, HostsTheComponentOverASerialLine) {
    // Not registered: a false Create, one error line with the HRESULT in hex.
    ASSERT_TRUE(RegisterComponent(false));
    {
        CDVarnel link;
        Attach(link);
        EXPECT_FALSE(link.Create(m_parent, 1076, m_rect));
        EXPECT_FALSE(link.IsPresent());
        link.Invoke(1, {});
        ASSERT_EQ(m_log.size(), 1u);
        EXPECT_NE(m_log[0].first.find("0x80040154"), std::string::npos) << m_log[0].first;
        EXPECT_EQ(m_log[0].second, 1);
        EXPECT_EQ(GetDlgItem(m_parent, 1076), nullptr);
    }
    m_log.clear();

    // Registered, with a port that cannot be opened: the control tries it as
    // soon as it runs in our site and says so once (a warning naming the
    // port, shown to the operator); each method's first failure is logged
    // with the control's text, and the first of them shown.
    ASSERT_TRUE(RegisterComponent(true));
    WriteIni("COM49");
    {
        CDVarnel link;
        Attach(link);
        ASSERT_TRUE(link.Create(m_parent, 1076, m_rect));
        Pump([&] { return !m_status.empty(); });
        Call(link, 43, {"28", "410", "50"});
        Call(link, 43, {"28", "410", "50"});
        Call(link, 1, {});
        Pump([] { return false; }, 200);
        const std::string text = "USB link COM49 cannot be opened: error 2";
        EXPECT_EQ(m_log, (std::vector<LinkLogLine>{
                             {text, 2},
                             {kControl + " method 43 failed: " + text + " (0x80070002)", 1},
                             {kControl + " method 1 failed: " + text + " (0x80070002)", 1}}));
        EXPECT_EQ(m_status, (std::vector<std::string>{text + " !!", text + " !!"}));
    }
    m_log.clear();

    // On COM41 (written as "com41"): the site window is child 1076 with the
    // control active in it.
    WriteIni(" com41 ");
    Device device;
    ASSERT_TRUE(device.IsOpen()) << "COM42 missing: run through run-wine-unit-tests.sh";
    CDVarnel link;
    Attach(link);
    ASSERT_TRUE(link.Create(m_parent, 1076, m_rect));
    EXPECT_TRUE(link.IsPresent());
    EXPECT_EQ(GetDlgItem(m_parent, 1076), link.GetSafeHwnd());
    EXPECT_NE(GetWindow(link.GetSafeHwnd(), GW_CHILD), nullptr);

    // Calls go out as CALL lines in order; a method the control lacks logs
    // once per dispatch id.
    Call(link, 43, {"28", "410", "50"});
    Call(link, 1, {});
    Call(link, 99, {});
    Call(link, 4, {"a\tb\\", ""});
    Call(link, 99, {});
    Call(link, 98, {"x"});
    EXPECT_EQ(device.Lines(3), (std::vector<std::string>{"CALL\t43\t28\t410\t50", "CALL\t1",
                                                         "CALL\t4\ta\\tb\\\\\t"}));
    ASSERT_EQ(m_log.size(), 2u);
    EXPECT_NE(m_log[0].first.find("method 99 failed: 0x80020003"), std::string::npos);
    EXPECT_NE(m_log[1].first.find("method 98 failed: 0x80020003"), std::string::npos);

    // Events arrive in order, only from the message loop; a handler may call
    // the control (LINK "55" answered by 58 "55") and destroy it (on RS07).
    m_onEvent = [&](int id, const LinkArgs& args) {
        if (id == 6 && args == LinkArgs{"LINK", "55"}) {
            Call(link, 58, {"55"});
        }
        if (id == 9 && args == LinkArgs{"RS07"}) {
            link.Destroy();
        }
    };
    device.Send("EVENT\t9\tRS01\r\nnoise\nEVENT\t5\tR201\t\t12\nEVENT\t6\tLINK\t55\n");
    Sleep(300);
    Call(link, 3, {});
    EXPECT_TRUE(m_events.empty());
    Pump([&] { return m_events.size() >= 3; });
    EXPECT_EQ(m_events, (std::vector<LinkEvent>{
                            {9, {"RS01"}}, {5, {"R201", "", "12"}}, {6, {"LINK", "55"}}}));
    EXPECT_EQ(device.Lines(2), (std::vector<std::string>{"CALL\t3", "CALL\t58\t55"}));

    device.Send("EVENT\t9\tRS07\nEVENT\t9\tRS01\n");
    Pump([&] { return !link.IsPresent(); });
    Pump([] { return false; }, 300);
    EXPECT_EQ(m_events.size(), 4u);
    EXPECT_EQ(m_events.back(), (LinkEvent{9, {"RS07"}}));
    EXPECT_EQ(GetDlgItem(m_parent, 1076), nullptr);
    Call(link, 1, {});
    EXPECT_TRUE(device.Lines(1, 300).empty());
    EXPECT_EQ(m_log.size(), 2u);
}

// A container in design mode: its client site answers the ambient UserMode
// with false.
class DesignSite final : public IOleClientSite, public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (IsEqualIID(iid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
        } else if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
            *object = static_cast<IOleClientSite*>(this);
        }
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (id != DISPID_AMBIENT_USERMODE || result == nullptr) {
            return DISP_E_MEMBERNOTFOUND;
        }
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = VARIANT_FALSE;
        return S_OK;
    }
};

DISPID IdOf(ITypeInfo* info, const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    info->GetIDsOfNames(names, 1, &id);
    return id;
}

// The control as a script holds it, without a site: its type information
// names the methods and, as the class's default source, the events; the port
// opens at the first call. In a container in design mode too.
TEST_F(LinkControlWine, DescribesItselfAndOpensItsPortAtTheFirstCall) {
    ASSERT_TRUE(RegisterComponent(true));
    WriteIni("41");
    ASSERT_HRESULT_SUCCEEDED(OleInitialize(nullptr));
    IDispatch* control = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_RelvanLinkControl, nullptr,
                                              CLSCTX_INPROC_SERVER, IID_IDispatch,
                                              reinterpret_cast<void**>(&control)));
    ITypeInfo* methods = nullptr;
    ASSERT_EQ(control->GetTypeInfo(0, 0, &methods), S_OK);
    EXPECT_EQ(IdOf(methods, L"Method43"), 43);
    methods->Release();
    LPOLESTR name[] = {const_cast<LPOLESTR>(L"Method57")};
    DISPID id = 0;
    EXPECT_EQ(control->GetIDsOfNames(IID_NULL, name, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 57);
    EXPECT_EQ(control->GetIDsOfNames(IID_IUnknown, name, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(
        control->Invoke(1, IID_IUnknown, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
        DISP_E_UNKNOWNINTERFACE);

    IProvideClassInfo* provider = nullptr;
    ITypeInfo* type = nullptr;
    TYPEATTR* attributes = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        control->QueryInterface(IID_IProvideClassInfo, reinterpret_cast<void**>(&provider)));
    ASSERT_HRESULT_SUCCEEDED(provider->GetClassInfo(&type));
    ASSERT_HRESULT_SUCCEEDED(type->GetTypeAttr(&attributes));
    ITypeInfo* events = nullptr;
    for (UINT index = 0; index < attributes->cImplTypes; ++index) {
        INT flags = 0;
        HREFTYPE reference = 0;
        if (SUCCEEDED(type->GetImplTypeFlags(index, &flags)) &&
            flags == (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE) &&
            SUCCEEDED(type->GetRefTypeOfImplType(index, &reference))) {
            type->GetRefTypeInfo(reference, &events);
        }
    }
    type->ReleaseTypeAttr(attributes);
    type->Release();
    provider->Release();
    ASSERT_NE(events, nullptr);
    EXPECT_EQ(IdOf(events, L"Event9"), 9);
    EXPECT_EQ(IdOf(events, L"PortState"), 100);
    events->Release();

    Device device;
    EXPECT_EQ(control->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(device.Lines(1), std::vector<std::string>{"CALL\t1"});
    control->Release();

    // In a container in design mode the port is not tried until a call.
    WriteIni("COM49");
    IOleObject* designed = nullptr;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_RelvanLinkControl, nullptr,
                                              CLSCTX_INPROC_SERVER, IID_IOleObject,
                                              reinterpret_cast<void**>(&designed)));
    IID eventInterface{};
    ASSERT_TRUE(FindEventInterface(designed, eventInterface));
    std::vector<int> raised;
    auto* sink = new LinkEventSink(
        eventInterface, [&](int eventId, const LinkArgs&) { raised.push_back(eventId); });
    LinkEventConnection connection;
    ASSERT_HRESULT_SUCCEEDED(connection.Connect(designed, eventInterface, sink));
    DesignSite designer;
    designed->SetClientSite(&designer);
    Pump([] { return false; }, 300);
    EXPECT_TRUE(raised.empty());
    IDispatch* calls = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        designed->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&calls)));
    EXPECT_EQ(calls->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    Pump([&] { return !raised.empty(); });
    EXPECT_EQ(raised, std::vector<int>{100});
    calls->Release();
    connection.Disconnect();
    sink->Detach();
    sink->Release();
    designed->SetClientSite(nullptr);
    designed->Release();
    OleUninitialize();
}

} // namespace
