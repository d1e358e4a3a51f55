// Form2: the result popup.
#pragma once
#include <windows.h>

#include "common/Window.h"

namespace velmora {

class Form1;

class Form2 : public common::Window {
public:
    explicit Form2(Form1& owner) : form1_(owner) {}
    // The first call loads the popup (text from Form1's Text3); later calls only bring it up.
    void Show();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Form_Load();

    Form1& form1_;
    HWND text1_ = nullptr;
};

}  // namespace velmora
