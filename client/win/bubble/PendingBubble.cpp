#include "win/bubble/PendingBubble.h"

#include <algorithm>
#include <string_view>

#include "core/Messages.h"
#include "core/text/Utf16.h"
#include "win/Form1.h"

namespace velmora {

bool PendingBubble::Show() {
    if (!CreateBubble(L"VelmoraPending", L"Velmora")) {
        return false;
    }
    LoadColors();
    LayOutAndPlace(std::nullopt);
    // The bubble itself holds the focus (its text takes none), so that Esc reaches it.
    (void)ShowInFront(hwnd());
    return true;
}

namespace {

// More than the largest bubble shows of a text on any screen. The label is measured a few times at every refresh,
// on the thread that also answers Esc: the whole of a long answer there would make the keys wait.
constexpr std::size_t kShownUnits = 4096;

// The last `units` of the text, never from the second half of a surrogate pair, with a mark where the front is cut.
std::wstring TailOf(std::wstring_view text, std::size_t units) {
    if (text.size() <= units) {
        return std::wstring(text);
    }
    std::size_t start = text.size() - units;
    start += IsTrailSurrogate(text[start]) ? 1 : 0;
    return L"…" + std::wstring(text.substr(start));
}

}  // namespace

void PendingBubble::ShowText(const std::wstring& text) {
    hasText_ = true;
    std::wstring shown = TailOf(text, kShownUnits);
    SetWindowTextW(body_, shown.c_str());
    GrowToText();
    // Grown as far as it goes, the bubble shows the latest text, as the answer is being written: the front that
    // does not fit goes. Cut by the share that shows, a little more each round; a few rounds come close enough.
    RECT body{};
    GetClientRect(body_, &body);
    const int room = BodyShownHeight();
    const TextHeight height = BodyTextHeight();
    std::size_t units = std::min(text.size(), kShownUnits);
    for (int round = 0; round < 4 && units > 1; ++round) {
        const int needed = height(body.right);
        if (needed <= room) {
            break;
        }
        units = static_cast<std::size_t>(static_cast<double>(units) * room / needed * (0.95 - 0.05 * round));
        shown = TailOf(text, std::max<std::size_t>(units, 1));
        SetWindowTextW(body_, shown.c_str());
    }
}

// The label's own font and line breaking (a static control breaks lines as DrawText does).
TextHeight PendingBubble::BodyTextHeight() {
    if (!hasText_) {
        return nullptr;
    }
    HWND body = body_;
    return [body](int width) {
        const int length = GetWindowTextLengthW(body);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(body, text.data(), length + 1)));
        const common::WindowDcWithFont dc(body, reinterpret_cast<HGDIOBJ>(SendMessageW(body, WM_GETFONT, 0, 0)));
        RECT r{0, 0, width, 0};
        DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r,
                  DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL);
        return static_cast<int>(r.bottom);
    };
}

// ShowWindow(SW_HIDE) would activate some other window, maybe another program's, at once; hidden through
// SetWindowPos the window stays active until the next one is.
void PendingBubble::HideKeepingActivation() {
    ReleaseEscape();  // the window taking its place may need Esc
    SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND PendingBubble::MakeBody(HINSTANCE instance, int id) {
    return CreateWindowExW(0, L"STATIC", kPendingText, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0,
                           hwnd(), reinterpret_cast<HMENU>(id), instance, nullptr);
}

void PendingBubble::Label1_Click() {
    // The request is abandoned with the process; nothing is reported.
    form1_.EndProgram();
}

void PendingBubble::DragEnded() {
    form1_.PendingReleased();
}

LRESULT PendingBubble::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CLOSE:
            // Alt+F4, or a close from the task list: the same as "Close".
            Label1_Click();
            return 0;
    }
    return BubbleWindow::HandleMessage(msg, wp, lp);
}

}  // namespace velmora
