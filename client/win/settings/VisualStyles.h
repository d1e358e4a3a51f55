// The common controls' visual styles (version 6 of that library) where they show: the settings window, its lists
// and buttons, the message boxes. The program's own manifest leaves the library out and the main thread takes it
// in on start, so that the bubbles, whose borderless text box and labels look the same in either version, are
// made of the system's own controls and do not load the library on their way to the screen (under Wine that
// load is the largest single cost of showing the popup).
#pragma once
#include <windows.h>

namespace velmora {

// From here on, windows created on the calling thread get the visual styles. Called once, first thing.
void UseVisualStyles();

// While it lives, controls created on the calling thread are the system's own, whatever the thread uses otherwise.
class SystemControls {
public:
    SystemControls();
    ~SystemControls();
    SystemControls(const SystemControls&) = delete;
    SystemControls& operator=(const SystemControls&) = delete;

private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};

}  // namespace velmora
