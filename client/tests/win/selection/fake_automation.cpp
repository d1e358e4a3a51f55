// A stand-in UI Automation client (CUIAutomation, which Wine does not register) that the selection tests register
// while they run; the real velmora.exe then gets its focused element from here. The element follows
// VELMORA_FAKE_AUTOMATION: "text:<selection>" (an edit control), "cell:<selection>" (a table cell with a text
// pattern), "password:<selection>" (a password box), "noranges" (a text pattern whose selection holds no range, not
// even the caret) or "none" (no text pattern); '|' in the selection parts it into ranges (a multiple selection).
// The vtables are slot numbers from the system's UIAutomationClient.h, apart from the client's own declarations,
// so that a wrong slot on either side fails the test. Built without the C++ runtime (see CMakeLists.txt): a COM
// server loaded into the client should bring nothing but itself into that process.
#include <windows.h>
#include <oleauto.h>

namespace {

wchar_t g_setting[512];

const wchar_t* Setting() {
    const DWORD n = GetEnvironmentVariableW(L"VELMORA_FAKE_AUTOMATION", g_setting, 512);
    return n && n < 512 ? g_setting : L"none";
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

// A COM object as a plain table of stdcall functions, slots counted from 0 with IUnknown's three first, as in the
// SDK's C vtables; every slot not set answers E_NOTIMPL. Objects nobody asks for an interface answer IUnknown only.
struct Object {
    void* const* vtable;
    LONG refs;
    IID iid;
    int index;  // a range's place in its selection
    void* table[64];
};
struct Method {
    template <typename F>
    Method(int s, F f) : slot(s), fn(reinterpret_cast<void*>(f)) {}
    int slot;
    void* fn;
};

HRESULT __stdcall NotImplemented() {
    return E_NOTIMPL;
}
HRESULT __stdcall QueryInterface(Object* self, REFIID iid, void** out) {
    const bool ok = IsEqualIID(iid, kIidUnknown) || IsEqualIID(iid, self->iid);
    *out = ok ? self : nullptr;
    return ok ? (InterlockedIncrement(&self->refs), S_OK) : E_NOINTERFACE;
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

template <int N>
Object* NewObject(const IID& iid, const Method (&methods)[N]) {
    auto* o = static_cast<Object*>(HeapAlloc(GetProcessHeap(), 0, sizeof(Object)));
    o->refs = 1;
    o->iid = iid;
    o->index = 0;
    for (void*& s : o->table) {
        s = reinterpret_cast<void*>(&NotImplemented);
    }
    o->table[0] = reinterpret_cast<void*>(&QueryInterface);
    o->table[1] = reinterpret_cast<void*>(&AddRef);
    o->table[2] = reinterpret_cast<void*>(&Release);
    for (const Method& m : methods) {
        o->table[m.slot] = m.fn;
    }
    o->vtable = o->table;
    return o;
}

// The selection: the setting after its ':'.
const wchar_t* Selected() {
    const wchar_t* value = Setting();
    while (*value && *value++ != L':') {
    }
    return value;
}
// IUIAutomationTextRange::GetText (slot 12): the range's part of the selection. The whole text (-1) is refused, as
// a large document's provider would run out of memory handing it out; the largest length asked is left for the test
// in HKCU\Software\VelmoraTest, GetTextLength.
HRESULT __stdcall RangeGetText(Object* self, int maxLength, BSTR* text) {
    if (maxLength < 0) {
        return E_OUTOFMEMORY;
    }
    DWORD asked = 0, size = sizeof asked;
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\VelmoraTest", L"GetTextLength", RRF_RT_REG_DWORD, nullptr, &asked,
                 &size);
    if (static_cast<DWORD>(maxLength) > asked) {
        asked = static_cast<DWORD>(maxLength);
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\VelmoraTest", L"GetTextLength", REG_DWORD, &asked, sizeof asked);
    }
    const wchar_t* value = Selected();
    for (int part = 0; part < self->index; ++part) {
        while (*value && *value++ != L'|') {
        }
    }
    UINT length = 0;
    while (value[length] && value[length] != L'|' && length < static_cast<UINT>(maxLength)) {
        ++length;
    }
    *text = SysAllocStringLen(value, length);
    return S_OK;
}
// IUIAutomationTextRangeArray: get_Length slot 3, GetElement slot 4.
HRESULT __stdcall ArrayLength(Object*, int* length) {
    *length = Starts(L"noranges") ? 0 : 1;
    for (const wchar_t* c = Selected(); *c; ++c) {
        *length += *c == L'|';
    }
    return S_OK;
}
HRESULT __stdcall ArrayElement(Object* self, int index, Object** range) {
    int length = 0;
    ArrayLength(self, &length);
    *range = index >= 0 && index < length ? NewObject(kIidUnknown, {{12, &RangeGetText}}) : nullptr;
    return *range ? ((*range)->index = index, S_OK) : E_INVALIDARG;
}
// IUIAutomationTextPattern::GetSelection, slot 5.
HRESULT __stdcall PatternSelection(Object*, Object** ranges) {
    *ranges = NewObject(kIidUnknown, {{3, &ArrayLength}, {4, &ArrayElement}});
    return S_OK;
}
// IUIAutomationElement: GetCurrentPatternAs slot 14, get_CurrentIsPassword slot 35.
HRESULT __stdcall ElementPatternAs(Object*, int pattern, REFIID iid, void** out) {
    const bool offered = pattern == kTextPatternId && IsEqualIID(iid, kIidTextPattern) && !Starts(L"none");
    *out = offered ? NewObject(kIidTextPattern, {{5, &PatternSelection}}) : nullptr;
    return S_OK;  // not supported: success with nothing, as UI Automation answers
}
HRESULT __stdcall ElementIsPassword(Object*, BOOL* password) {
    *password = Starts(L"password:");
    return S_OK;
}
// get_CurrentControlType, slot 21: a data item or an edit control.
HRESULT __stdcall ElementControlType(Object*, int* type) {
    *type = Starts(L"cell:") ? 50029 : 50004;
    return S_OK;
}
// IUIAutomation::GetFocusedElement, slot 8.
HRESULT __stdcall AutomationFocused(Object*, Object** element) {
    *element = NewObject(kIidUnknown, {{14, &ElementPatternAs}, {21, &ElementControlType}, {35, &ElementIsPassword}});
    return S_OK;
}

// Hands out the object with the asked interface, or nothing.
HRESULT Give(Object* object, REFIID iid, void** out) {
    const HRESULT hr = QueryInterface(object, iid, out);
    Release(object);
    return hr;
}
// IClassFactory::CreateInstance, slot 3.
HRESULT __stdcall FactoryCreate(Object*, IUnknown* outer, REFIID iid, void** out) {
    *out = nullptr;
    return outer ? CLASS_E_NOAGGREGATION : Give(NewObject(kIidAutomation, {{8, &AutomationFocused}}), iid, out);
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT __stdcall DllGetClassObject(REFCLSID, REFIID iid, void** out) {
    return Give(NewObject(kIidClassFactory, {{3, &FactoryCreate}}), iid, out);
}
extern "C" __declspec(dllexport) HRESULT __stdcall DllCanUnloadNow() {
    return S_FALSE;
}
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
