// Geometry of the result popup: its size and controls (designed in twips), its speech-bubble shape (designed in
// 96-dpi pixels) and its place next to the mouse pointer, all in real pixels at a given DPI.
#pragma once
#include <array>
#include <functional>
#include <span>

namespace velmora {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Right and bottom are exclusive, as in a Win32 RECT.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A control's place in its parent's client area, as CreateWindowEx and MoveWindow take it.
struct Bounds {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

// Rounded to the nearest pixel, halves away from zero, as MulDiv does.
[[nodiscard]] int TwipsToPixelsAt(int twips, int dpi);
[[nodiscard]] int ScaleFrom96At(int pixels96, int dpi);

struct BubbleLayout {
    Size client;
    Bounds label3;  // the title "翻訳結果"
    Bounds text1;   // the translation
    Bounds label1;  // "Close"
};

[[nodiscard]] BubbleLayout BubbleLayoutAt(int dpi);

// The height in pixels that the text box needs to show all of its text at this width: its own font and line
// breaking, measured by the caller.
using TextHeight = std::function<int(int width)>;

// The layout for a text: the designed one when the text fits the part of the designed text box that shows above
// the bubble's bottom edge. Otherwise the box grows
// wider, up to twice its designed width (no wider than the work area allows), to the narrowest width at which
// the text fits its designed height; when even that is not enough, then taller, until the whole window is half
// as high as the work area; the rest scrolls. "Close" keeps to the top right corner.
[[nodiscard]] BubbleLayout BubbleLayoutFor(int dpi, const Rect& workArea, const TextHeight& textHeight);

// The window region, built in this order:
//   1. start from an empty region;
//   2. CreateRoundRectRgn(body, corner, corner), combined with RGN_OR;
//   3. CreatePolygonRgn(tail, 3, ALTERNATE), combined with RGN_XOR.
// The tail's top edge lies on the body's bottom row (at 96 dpi; a row or two at higher DPIs), so the XOR cuts
// that overlap out: a thin see-through seam between bubble and tail that has always been part of the look.
struct BubbleRegion {
    Rect body;
    int corner = 0;
    std::array<Point, 3> tail;
};

// `client` is the window's real client size (GetClientRect); the pixel constants scale with dpi / 96.
[[nodiscard]] BubbleRegion BubbleRegionAt(Size client, int dpi);

// The window's top-left corner for the mouse pointer at `cursor`: about 87 x 19 pixels (at 96 dpi) above and left
// of it, which puts the tail's tip at the pointer. Kept when the whole window fits in `workArea` (the work area of
// the monitor under the pointer); otherwise moved just enough to fit, and aligned to the work area's top or left
// when it is too big for it.
// A window taller than designed keeps the tail's tip at the same place: it grows upwards and to the right, away
// from the pointer, before it is fitted into the work area.
[[nodiscard]] Point PlaceBubble(Point cursor, Size window, Rect workArea, int dpi);

// Where a bubble of `window` size goes in place of one of the designed size at `designedTopLeft` (the pending
// bubble, wherever the user left it): the tail's tip stays. A bubble of the designed size stays exactly there;
// a grown one is moved just enough to fit in the work area.
[[nodiscard]] Point GrowInPlace(Point designedTopLeft, Size window, Rect workArea, int dpi);

// A monitor as the bubble sees it: its whole area, its work area and its DPI.
struct Monitor {
    Rect area;
    Rect workArea;
    int dpi = 96;
};

struct BubblePlacement {
    int dpi = 96;    // the DPI the bubble is laid out at: that of the monitor it goes on
    Size window;     // its size at that DPI
    Point topLeft;   // its place on that monitor
    friend bool operator==(const BubblePlacement&, const BubblePlacement&) = default;
};

// Where the bubble goes for the pointer at `cursor`: on the monitor under the pointer (the nearest one when the
// pointer is on none), laid out at that monitor's DPI and kept in its work area. With monitors of different DPIs
// the size, the tail's offset and the clamp all follow the monitor under the pointer, not the primary one.
// `windowFor` gives the window's size on the chosen monitor (a grown bubble's); the designed size without it.
using WindowSizeFor = std::function<Size(const Monitor&)>;
[[nodiscard]] BubblePlacement PlaceBubbleOn(Point cursor, std::span<const Monitor> monitors,
                                            const WindowSizeFor& windowFor = nullptr);

}  // namespace velmora
