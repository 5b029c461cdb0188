// The link control's site against a control that behaves like the original
// one under Wine: it raises events synchronously inside Invoke, names its
// event interface only through its connection points, passes null BSTRs,
// and fails a method. The control is this test's own class object, registered
// for the process under the link control's class id.
#include "LinkWineFixture.h"

#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

namespace {

// {3D8C1E2A-5B7F-4E10-9A42-0C6B1F2E7D55}
const IID kFakeEvents = {
    0x3D8C1E2A, 0x5B7F, 0x4E10, {0x9A, 0x42, 0x0C, 0x6B, 0x1F, 0x2E, 0x7D, 0x55}};

// One object is the control, its one connection point and that point's
// enumerator: enough of each for a site, and no more.
class FakeControl final : public IOleObject,
                          public IDispatch,
                          public IConnectionPointContainer,
                          public IConnectionPoint,
                          public IEnumConnectionPoints {
public:
    std::vector<std::pair<int, LinkArgs>> calls;
    bool closed = false;
    ULONG references = 1;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleObject)) {
            *object = static_cast<IOleObject*>(this);
        } else if (IsEqualIID(iid, IID_IDispatch)) {
            *object = static_cast<IDispatch*>(this);
        } else if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
            *object = static_cast<IConnectionPointContainer*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }

    // Method 7 raises two events before it returns; method 8 fails; method 2
    // raises "END", on which the test destroys the control.
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        LinkArgs args;
        for (UINT index = params->cArgs; index-- > 0;) {
            const BSTR text = V_BSTR(&params->rgvarg[index]);
            args.emplace_back(text, text + SysStringLen(text));
        }
        calls.emplace_back(id, args);
        if (id == 7) {
            Raise(9, {L"RS01"});
            Raise(5, {L"R201", nullptr, L"12"});
        } else if (id == 2) {
            Raise(9, {L"END"});
        }
        return id == 8 ? E_FAIL : S_OK;
    }
    void Raise(DISPID id, std::vector<const wchar_t*> texts) {
        std::vector<VARIANT> values(texts.size());
        for (size_t index = 0; index < texts.size(); ++index) {
            VARIANT& value = values[texts.size() - 1 - index];
            V_VT(&value) = VT_BSTR;
            V_BSTR(&value) = texts[index] != nullptr ? SysAllocString(texts[index]) : nullptr;
        }
        DISPPARAMS params{values.data(), nullptr, static_cast<UINT>(values.size()), 0};
        if (m_sink != nullptr) {
            m_sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        }
        for (VARIANT& value : values) {
            VariantClear(&value);
        }
    }

    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
        if (FAILED(sink->QueryInterface(kFakeEvents, reinterpret_cast<void**>(&m_sink)))) {
            return CONNECT_E_CANNOTCONNECT;
        }
        *cookie = 1;
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD) override {
        m_sink->Release();
        m_sink = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetConnectionInterface(IID* iid) override {
        *iid = kFakeEvents;
        return S_OK;
    }
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override {
        m_enumerated = false;
        *points = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP Next(ULONG, IConnectionPoint** points, ULONG* fetched) override {
        *fetched = m_enumerated ? 0 : 1;
        *points = m_enumerated ? nullptr : this;
        if (!m_enumerated) {
            AddRef();
        }
        m_enumerated = true;
        return *fetched == 1 ? S_OK : S_FALSE;
    }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (!IsEqualIID(iid, kFakeEvents)) {
            *point = nullptr;
            return CONNECT_E_NOCONNECTION;
        }
        *point = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP SetClientSite(IOleClientSite*) override { return S_OK; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
        *status = 0;
        return S_OK;
    }
    STDMETHODIMP Close(DWORD) override {
        closed = true;
        return S_OK;
    }
    STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override { return S_OK; }

    STDMETHODIMP GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }
    STDMETHODIMP Skip(ULONG) override { return E_NOTIMPL; }
    STDMETHODIMP Reset() override { return E_NOTIMPL; }
    STDMETHODIMP Clone(IEnumConnectionPoints**) override { return E_NOTIMPL; }

private:
    IDispatch* m_sink = nullptr;
    bool m_enumerated = false;
};

class FakeFactory final : public IClassFactory {
public:
    explicit FakeFactory(FakeControl& control) : m_control(control) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)
                      ? static_cast<IClassFactory*>(this)
                      : nullptr;
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** object) override {
        return m_control.QueryInterface(iid, object);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    FakeControl& m_control;
};

class LinkSiteWine : public LinkSiteFixture {};

TEST_F(LinkSiteWine, EventsRaisedInsideACallArriveAfterItInOrder) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    FakeControl control;
    FakeFactory factory(control);
    DWORD registration = 0;
    ASSERT_EQ(CoRegisterClassObject(CLSID_RelvanLinkControl, &factory, CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &registration),
              S_OK);
    {
        CDVarnel link;
        Attach(link);
        m_onEvent = [&](int id, const LinkArgs&) {
            if (id == 9 && m_events.back().second == LinkArgs{"END"}) {
                link.Destroy();
            }
        };
        ASSERT_TRUE(link.Create(m_parent, 1076, m_rect));
        EXPECT_TRUE(m_log.empty()) << m_log[0].first;

        Call(link, 7, {"28", "410", ""});
        EXPECT_TRUE(m_events.empty());
        Pump([&] { return m_events.size() >= 2; });
        EXPECT_EQ(m_events, (std::vector<LinkEvent>{{9, {"RS01"}}, {5, {"R201", "", "12"}}}));

        Call(link, 8, {});
        Call(link, 8, {});
        ASSERT_EQ(m_log.size(), 1u);
        EXPECT_NE(m_log[0].first.find("method 8 failed: 0x80004005"), std::string::npos);

        Call(link, 2, {});
        EXPECT_TRUE(link.IsPresent());
        Pump([&] { return !link.IsPresent(); });
        EXPECT_TRUE(control.closed);
        EXPECT_EQ(control.calls, (std::vector<std::pair<int, LinkArgs>>{
                                     {7, {"28", "410", ""}}, {8, {}}, {8, {}}, {2, {}}}));
    }
    EXPECT_EQ(control.references, 1u);
    CoRevokeClassObject(registration);
    OleUninitialize();
}

} // namespace
