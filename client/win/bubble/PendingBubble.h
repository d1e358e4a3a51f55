// The pending bubble: the popup's bubble saying "翻訳中…", shown when the answer is slow to come, or the text of an
// answer that is still being written. It is not the
// popup: it has its own class and the caption "Velmora", so that nothing looking for the popup finds it. Close
// and Esc end the client at once; it can be dragged; it has no menu.
#pragma once
#include <windows.h>

#include <string>

#include "win/bubble/BubbleWindow.h"

namespace velmora {

class Form1;

class PendingBubble : public BubbleWindow {
public:
    explicit PendingBubble(Form1& owner) : form1_(owner) {}

    // Loads it next to the pointer, as the popup would be placed now, and shows it with the focus.
    [[nodiscard]] bool Show();
    // Where it stands now (the user may have dragged it, it may have grown), for the popup that takes its place: the
    // top-left corner of a bubble of the designed size with the same tail tip.
    [[nodiscard]] POINT TopLeft() const { return DesignedTopLeft(); }
    // The answer so far in place of "翻訳中…"; the bubble grows to it.
    void ShowText(const std::wstring& text);
    // Takes it off the screen while it stays the active window, so that the window taking its place (the popup,
    // or the report's box) takes the activation from it: the process never hands it to another program between.
    void HideKeepingActivation();

protected:
    HWND MakeBody(HINSTANCE instance, int id) override;
    TextHeight BodyTextHeight() override;
    void Label1_Click() override;
    void DragEnded() override;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    Form1& form1_;
    bool hasText_ = false;
};

}  // namespace velmora
