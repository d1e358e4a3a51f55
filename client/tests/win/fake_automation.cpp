// A stand-in UI Automation client (CUIAutomation) for the selection tests: Wine registers none. The test registers
// this DLL for the class while it runs; the real velmora.exe then gets its focused element from here. What the
// element offers comes from VELMORA_FAKE_AUTOMATION, inherited from the test: "text:<selection>",
// "password:<selection>" (a password box) or "none" (no text pattern).
//
// The vtables are written slot by slot from the system's UIAutomationClient.h, apart from the client's own
// declarations, so that a wrong slot on either side shows as a failed test.
#include <windows.h>
#include <oleauto.h>

// Built without the C++ runtime (see CMakeLists.txt): a COM server loaded into the client should bring nothing but
// itself into that process.
namespace {

wchar_t g_setting[512];

const wchar_t* Setting() {
    const DWORD n = GetEnvironmentVariableW(L"VELMORA_FAKE_AUTOMATION", g_setting, 512);
    return n && n < 512 ? g_setting : L"none";
}

// The text after "mode:", or "".
const wchar_t* Value() {
    const wchar_t* s = Setting();
    while (*s && *s != L':') {
        ++s;
    }
    return *s ? s + 1 : s;
}

bool Starts(const wchar_t* prefix) {
    const wchar_t* s = Setting();
    while (*prefix && *s == *prefix) {
        ++s, ++prefix;
    }
    return *prefix == 0;
}

const IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kIidClassFactory = {0x00000001, 0x0000, 0x0000, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kIidAutomation = {0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
const IID kIidTextPattern = {0x32eba289, 0x3583, 0x42c9, {0x9c, 0x59, 0x3b, 0x6d, 0x9a, 0x1e, 0x9b, 0x6a}};
constexpr int kTextPatternId = 10014;

// A COM object as a plain vtable of stdcall functions: slot 0 to 2 are IUnknown's; every slot not set answers
// E_NOTIMPL. The methods read their arguments through the object's own table.
struct Object;
using Slot = void*;
constexpr int kSlots = 64;

struct Object {
    const Slot* vtable;
    LONG refs;
    IID iid;
    Slot table[kSlots];
};

HRESULT __stdcall NotImplemented() {
    return E_NOTIMPL;
}

HRESULT __stdcall QueryInterface(Object* self, REFIID iid, void** out) {
    if (IsEqualIID(iid, kIidUnknown) || IsEqualIID(iid, self->iid)) {
        InterlockedIncrement(&self->refs);
        *out = self;
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG __stdcall AddRef(Object* self) {
    return InterlockedIncrement(&self->refs);
}

ULONG __stdcall Release(Object* self) {
    const LONG left = InterlockedDecrement(&self->refs);
    if (left == 0) {
        HeapFree(GetProcessHeap(), 0, self);
    }
    return left;
}

// Slot numbers count from 0 with IUnknown's three first, as in the C vtables of the SDK.
struct Method {
    int slot;
    Slot fn;
};

template <int N>
Object* NewObject(const IID& iid, const Method (&methods)[N]) {
    auto* o = static_cast<Object*>(HeapAlloc(GetProcessHeap(), 0, sizeof(Object)));
    o->refs = 1;
    o->iid = iid;
    for (Slot& s : o->table) {
        s = reinterpret_cast<Slot>(&NotImplemented);
    }
    o->table[0] = reinterpret_cast<Slot>(&QueryInterface);
    o->table[1] = reinterpret_cast<Slot>(&AddRef);
    o->table[2] = reinterpret_cast<Slot>(&Release);
    for (const Method& m : methods) {
        o->table[m.slot] = m.fn;
    }
    o->vtable = o->table;
    return o;
}

const IID kIidRange = {0xa543cc6a, 0xf4ae, 0x494b, {0x82, 0x39, 0xc8, 0x14, 0x48, 0x11, 0x87, 0xa8}};
const IID kIidRangeArray = {0xce4ae76a, 0xe717, 0x4c98, {0x81, 0xea, 0x47, 0x37, 0x1d, 0x02, 0x8e, 0xb6}};
const IID kIidElement = {0xd22108aa, 0x8ac5, 0x49a5, {0x83, 0x7b, 0x37, 0xbb, 0xb3, 0xd7, 0x59, 0x1e}};

// IUIAutomationTextRange::GetText, slot 12.
HRESULT __stdcall RangeGetText(Object*, int maxLength, BSTR* text) {
    const wchar_t* value = Value();
    UINT length = 0;
    while (value[length] && (maxLength < 0 || length < static_cast<UINT>(maxLength))) {
        ++length;
    }
    *text = SysAllocStringLen(value, length);
    return S_OK;
}

// IUIAutomationTextRangeArray: get_Length slot 3, GetElement slot 4.
HRESULT __stdcall ArrayLength(Object*, int* length) {
    *length = 1;
    return S_OK;
}
HRESULT __stdcall ArrayElement(Object*, int index, Object** range) {
    *range = index == 0 ? NewObject(kIidRange, {{12, reinterpret_cast<Slot>(&RangeGetText)}}) : nullptr;
    return index == 0 ? S_OK : E_INVALIDARG;
}

// IUIAutomationTextPattern::GetSelection, slot 5.
HRESULT __stdcall PatternSelection(Object*, Object** ranges) {
    *ranges = NewObject(kIidRangeArray,
                        {{3, reinterpret_cast<Slot>(&ArrayLength)}, {4, reinterpret_cast<Slot>(&ArrayElement)}});
    return S_OK;
}

// IUIAutomationElement: GetCurrentPatternAs slot 14, get_CurrentIsPassword slot 35.
HRESULT __stdcall ElementPatternAs(Object*, int pattern, REFIID iid, void** out) {
    *out = nullptr;
    if (pattern != kTextPatternId || !IsEqualIID(iid, kIidTextPattern) || Starts(L"none")) {
        return S_OK;  // not supported: success with nothing, as UI Automation answers
    }
    *out = NewObject(kIidTextPattern, {{5, reinterpret_cast<Slot>(&PatternSelection)}});
    return S_OK;
}
HRESULT __stdcall ElementIsPassword(Object*, BOOL* password) {
    *password = Starts(L"password:");
    return S_OK;
}

// IUIAutomation::GetFocusedElement, slot 8.
HRESULT __stdcall AutomationFocused(Object*, Object** element) {
    *element = NewObject(kIidElement, {{14, reinterpret_cast<Slot>(&ElementPatternAs)},
                                       {35, reinterpret_cast<Slot>(&ElementIsPassword)}});
    return S_OK;
}

// IClassFactory: CreateInstance slot 3, LockServer slot 4.
HRESULT __stdcall FactoryCreate(Object*, IUnknown* outer, REFIID iid, void** out) {
    *out = nullptr;
    if (outer) {
        return CLASS_E_NOAGGREGATION;
    }
    Object* automation = NewObject(kIidAutomation, {{8, reinterpret_cast<Slot>(&AutomationFocused)}});
    const HRESULT hr = QueryInterface(automation, iid, out);
    Release(automation);
    return hr;
}
HRESULT __stdcall FactoryLock(Object*, BOOL) {
    return S_OK;
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT __stdcall DllGetClassObject(REFCLSID, REFIID iid, void** out) {
    Object* factory = NewObject(kIidClassFactory, {{3, reinterpret_cast<Slot>(&FactoryCreate)},
                                                   {4, reinterpret_cast<Slot>(&FactoryLock)}});
    const HRESULT hr = QueryInterface(factory, iid, out);
    Release(factory);
    return hr;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllCanUnloadNow() {
    return S_FALSE;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
