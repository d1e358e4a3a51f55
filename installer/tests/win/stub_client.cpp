// A stand-in for velmora.exe with a chosen file version and size, for the installer's update decision.
#include <windows.h>

// Makes the file as large as the build asks, so that size and version can be set against each other.
static volatile const char kPadding[STUB_PADDING] = {1};

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return kPadding[0];
}
