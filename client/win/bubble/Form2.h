// Form2: the result popup, a borderless topmost speech bubble next to the mouse pointer.
// Its names are the first design's:
//   Label3   the title "翻訳結果", by which the bubble is dragged (BubbleWindow)
//   Label1   the close mark; Label1_Click ends the client
//   Text1    the translation's read-only text box (Text1_MouseWheel scrolls it; Ctrl+Enter in it replaces the
//            selection after a selection start)
#pragma once
#include <windows.h>

#include <optional>

#include "win/bubble/BubbleWindow.h"

namespace velmora {

class Form1;

class Form2 : public BubbleWindow {
public:
    explicit Form2(Form1& owner) : form1_(owner) {}
    ~Form2() override;
    // Creates and loads the popup hidden, next to the pointer or with its top-left corner at `topLeft` (where the
    // pending bubble stands). The load runs once: later calls keep its first text, colours and place.
    void Load(std::optional<POINT> topLeft = std::nullopt);
    // Loads it if need be and brings it up with the focus in its text. False when the window could not be made.
    [[nodiscard]] bool Show();

    [[nodiscard]] HWND Text1() const { return body_; }

protected:
    HWND MakeBody(HINSTANCE instance, int id) override;
    TextHeight BodyTextHeight() override;
    void Form_MouseDown(int button) override;
    void Label1_Click() override;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Form_Load(std::optional<POINT> topLeft);
    void Form_KeyMenu();
    void Text1_MouseWheel(int delta);
    static LRESULT CALLBACK Text1Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    Form1& form1_;
    WNDPROC editProc_ = nullptr;
    int wheelRest_ = 0;  // wheel movement below one line, kept for the next notch of a fine-grained wheel
};

}  // namespace velmora
