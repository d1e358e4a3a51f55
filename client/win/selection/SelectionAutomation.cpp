// The UI Automation way of reading the selection. ole32 and oleaut32 are loaded only when a selection start needs
// them, from the system folder, so that the client's ordinary start imports nothing more.
#include <windows.h>
// These need the types of windows.h first.
#include <oleauto.h>
#include <unknwn.h>

#include "common/Handles.h"
#include "common/SystemFunction.h"
#include "core/selection/Selection.h"
#include "win/net/Worker.h"
#include "win/selection/Selection.h"

// MinGW's headers lack the UI Automation client interfaces. Only the methods we call are named; the others hold
// their places in the vtables, in the order of the system's UIAutomationClient.h. They must not live in an
// anonymous namespace: GCC would see that nothing in the program implements them and optimise the calls away.
namespace velmora::uia {

// One slot per line, so that a slot's place can be counted against the system's header.
// clang-format off
#define VELMORA_UNUSED(n) virtual HRESULT STDMETHODCALLTYPE Unused##n() = 0;

struct UiaTextRange : IUnknown {
    VELMORA_UNUSED(1)
    VELMORA_UNUSED(2)
    VELMORA_UNUSED(3)
    VELMORA_UNUSED(4)
    VELMORA_UNUSED(5)
    VELMORA_UNUSED(6)
    VELMORA_UNUSED(7)
    VELMORA_UNUSED(8)
    VELMORA_UNUSED(9)
    virtual HRESULT STDMETHODCALLTYPE GetText(int maxLength, BSTR* text) = 0;
};

struct UiaTextRangeArray : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Length(int* length) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetElement(int index, UiaTextRange** range) = 0;
};

struct UiaTextPattern : IUnknown {
    VELMORA_UNUSED(1)
    VELMORA_UNUSED(2)
    virtual HRESULT STDMETHODCALLTYPE GetSelection(UiaTextRangeArray** ranges) = 0;
};

struct UiaElement : IUnknown {
    VELMORA_UNUSED(1)
    VELMORA_UNUSED(2)
    VELMORA_UNUSED(3)
    VELMORA_UNUSED(4)
    VELMORA_UNUSED(5)
    VELMORA_UNUSED(6)
    VELMORA_UNUSED(7)
    VELMORA_UNUSED(8)
    VELMORA_UNUSED(9)
    VELMORA_UNUSED(10)
    VELMORA_UNUSED(11)
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPatternAs(int patternId, REFIID iid, void** pattern) = 0;
    VELMORA_UNUSED(13)
    VELMORA_UNUSED(14)
    VELMORA_UNUSED(15)
    VELMORA_UNUSED(16)
    VELMORA_UNUSED(17)
    VELMORA_UNUSED(18)
    virtual HRESULT STDMETHODCALLTYPE get_CurrentControlType(int* controlType) = 0;
    VELMORA_UNUSED(20)
    VELMORA_UNUSED(21)
    VELMORA_UNUSED(22)
    VELMORA_UNUSED(23)
    VELMORA_UNUSED(24)
    VELMORA_UNUSED(25)
    VELMORA_UNUSED(26)
    VELMORA_UNUSED(27)
    VELMORA_UNUSED(28)
    VELMORA_UNUSED(29)
    VELMORA_UNUSED(30)
    VELMORA_UNUSED(31)
    VELMORA_UNUSED(32)
    virtual HRESULT STDMETHODCALLTYPE get_CurrentIsPassword(BOOL* isPassword) = 0;
};

struct UiaAutomation : IUnknown {
    VELMORA_UNUSED(1)
    VELMORA_UNUSED(2)
    VELMORA_UNUSED(3)
    VELMORA_UNUSED(4)
    VELMORA_UNUSED(5)
    virtual HRESULT STDMETHODCALLTYPE GetFocusedElement(UiaElement** element) = 0;
};

#undef VELMORA_UNUSED
// clang-format on

}  // namespace velmora::uia

namespace velmora {
namespace {

using uia::UiaAutomation;
using uia::UiaElement;
using uia::UiaTextPattern;
using uia::UiaTextRange;
using uia::UiaTextRangeArray;

constexpr CLSID kClsidCUIAutomation = {0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
constexpr IID kIidIUIAutomation = {0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
constexpr IID kIidTextPattern = {0x32eba289, 0x3583, 0x42c9, {0x9c, 0x59, 0x3b, 0x6d, 0x9a, 0x1e, 0x9b, 0x6a}};
constexpr int kUiaTextPatternId = 10014;
// The controls whose text is what the user selects in; elsewhere (a table cell, a list item) the selection shown
// need not be a text range, and an empty one proves nothing.
constexpr int kUiaEditControlTypeId = 50004;
constexpr int kUiaDocumentControlTypeId = 50030;

struct ComApi {
    decltype(&CoInitializeEx) coInitializeEx = nullptr;
    decltype(&CoUninitialize) coUninitialize = nullptr;
    decltype(&CoCreateInstance) coCreateInstance = nullptr;
    decltype(&SysFreeString) sysFreeString = nullptr;
    decltype(&SysStringLen) sysStringLen = nullptr;

    bool Load() {
        coInitializeEx = common::SystemFunction<decltype(coInitializeEx)>(L"ole32.dll", "CoInitializeEx");
        coUninitialize = common::SystemFunction<decltype(coUninitialize)>(L"ole32.dll", "CoUninitialize");
        coCreateInstance = common::SystemFunction<decltype(coCreateInstance)>(L"ole32.dll", "CoCreateInstance");
        sysFreeString = common::SystemFunction<decltype(sysFreeString)>(L"oleaut32.dll", "SysFreeString");
        sysStringLen = common::SystemFunction<decltype(sysStringLen)>(L"oleaut32.dll", "SysStringLen");
        return coInitializeEx && coUninitialize && coCreateInstance && sysFreeString && sysStringLen;
    }
};

AutomationRead ReadFocusedSelection(const ComApi& com) {
    common::ComPtr<UiaAutomation> automation;
    if (FAILED(com.coCreateInstance(kClsidCUIAutomation, nullptr, CLSCTX_INPROC_SERVER, kIidIUIAutomation,
                                    reinterpret_cast<void**>(automation.Out()))) ||
        !automation) {
        return {};
    }
    common::ComPtr<UiaElement> element;
    if (FAILED(automation->GetFocusedElement(element.Out())) || !element) {
        return {};
    }
    // A password box never hands out its text, whatever its provider offers.
    BOOL isPassword = FALSE;
    if (FAILED(element->get_CurrentIsPassword(&isPassword)) || isPassword) {
        return {std::nullopt, isPassword != FALSE};
    }
    common::ComPtr<UiaTextPattern> pattern;
    common::ComPtr<UiaTextRangeArray> ranges;
    int count = 0;
    if (FAILED(element->GetCurrentPatternAs(kUiaTextPatternId, kIidTextPattern,
                                            reinterpret_cast<void**>(pattern.Out()))) ||
        !pattern || FAILED(pattern->GetSelection(ranges.Out())) || !ranges || FAILED(ranges->get_Length(&count))) {
        return {};
    }
    std::wstring text;
    bool answered = false;  // a range at least, be it only the caret: the pattern knows where the selection is
    // One unit more than the client keeps, so that the cut still knows a longer selection for one; a whole
    // document selected in a large editor is never copied out in full.
    for (int i = 0; i < count && text.size() <= kMaxSelectionLength; ++i) {
        common::ComPtr<UiaTextRange> range;
        BSTR part = nullptr;
        const int room = static_cast<int>(kMaxSelectionLength + 1 - text.size());
        if (FAILED(ranges->GetElement(i, range.Out())) || !range || FAILED(range->GetText(room, &part))) {
            continue;
        }
        // Several ranges (a multiple selection) are joined as lines, the way they were apart on screen.
        if (!text.empty()) {
            text += L"\r\n";
        }
        text.append(part ? part : L"", part ? com.sysStringLen(part) : 0);
        com.sysFreeString(part);
        answered = true;
    }
    // An empty selection is believed only from a text control whose pattern showed a range, be it the caret; no
    // range at all is a pattern that does not follow the selection. Otherwise the copy is asked.
    int controlType = 0;
    const bool trusted = answered && SUCCEEDED(element->get_CurrentControlType(&controlType)) &&
                         (controlType == kUiaEditControlTypeId || controlType == kUiaDocumentControlTypeId);
    return text.empty() && !trusted ? AutomationRead{} : AutomationRead{std::move(text)};
}

AutomationRead ReadWithCom() {
    ComApi com;
    if (!com.Load()) {
        return {};
    }
    // Its own multithreaded apartment: UI Automation's calls go out to other processes and want no message loop.
    const common::ComScope apartment(COINIT_MULTITHREADED, com.coInitializeEx, com.coUninitialize);
    return ReadFocusedSelection(com);
}

}  // namespace

AutomationRead SelectionByAutomation(DWORD timeoutMs) {
    // A provider that never answers keeps only the worker waiting.
    auto run = RunWithTimeLimit<AutomationRead>(timeoutMs, &ReadWithCom);
    return run.result.value_or(AutomationRead{});
}

}  // namespace velmora
