// Form2: the result popup, a borderless topmost speech bubble next to the mouse pointer.
#pragma once
#include <windows.h>

#include "common/Handles.h"
#include "common/Window.h"
#include "core/Colors.h"

namespace velmora {

class Form1;

class Form2 : public common::Window {
public:
    static constexpr COLORREF kDesignBackColor = 0x00C0FFFF;
    static constexpr COLORREF kDesignForeColor = 0x00000000;
    static constexpr COLORREF kCloseGrey = 0x00808080;

    explicit Form2(Form1& owner) : form1_(owner) {}
    // The first call loads the popup; later calls only bring it up again, keeping its first text.
    void Show();

    // The five colour properties, in the order the settings window applies them.
    void ApplyColors(COLORREF background, COLORREF text);
    [[nodiscard]] HWND Text1() const { return text1_; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Form_Load();
    void Form_MouseDown(int button);
    void Label3_MouseDown(int button);
    void Label1_MouseDown();
    void Label1_MouseUp();
    void Label1_Click();
    void CreateControls();
    void LayOut(UINT dpi);
    void SetShape();
    void Place();
    void Drag();
    HBRUSH ColorFor(HWND control, HDC dc);
    static LRESULT CALLBACK LabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    Form1& form1_;
    HWND label3_ = nullptr;
    HWND text1_ = nullptr;
    HWND label1_ = nullptr;
    COLORREF backColor_ = kDesignBackColor;
    COLORREF foreColor_ = kDesignForeColor;
    COLORREF text1BackColor_ = kDesignBackColor;
    COLORREF text1ForeColor_ = kDesignForeColor;
    COLORREF label3ForeColor_ = kDesignForeColor;
    COLORREF label1ForeColor_ = kCloseGrey;
    common::UniqueBrush backBrush_;
    common::UniqueBrush text1Brush_;
    common::UniqueFont uiFont_;
    common::UniqueFont closeFont_;
    bool closePressed_ = false;
    WNDPROC staticProc_ = nullptr;
};

}  // namespace velmora
