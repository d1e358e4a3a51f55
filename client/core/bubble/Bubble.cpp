#include "core/bubble/Bubble.h"

#include <algorithm>
#include <cstdint>

namespace velmora {
namespace {

int MulDivRounded(int value, int numerator, int denominator) {
    const int64_t product = static_cast<int64_t>(value) * numerator;
    const int64_t half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

Bounds FromTwips(int left, int top, int width, int height, int dpi) {
    return {TwipsToPixelsAt(left, dpi), TwipsToPixelsAt(top, dpi), TwipsToPixelsAt(width, dpi),
            TwipsToPixelsAt(height, dpi)};
}

// Keeps [start, start + length) inside [low, high) when it can, moving it as little as possible.
int Fit(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

}  // namespace

int TwipsToPixelsAt(int twips, int dpi) {
    return MulDivRounded(twips, dpi, 1440);
}

int ScaleFrom96At(int pixels96, int dpi) {
    return MulDivRounded(pixels96, dpi, 96);
}

BubbleLayout BubbleLayoutAt(int dpi) {
    return {
        {TwipsToPixelsAt(4515, dpi), TwipsToPixelsAt(1410, dpi)},
        FromTwips(240, 60, 855, 255, dpi),
        FromTwips(240, 320, 4095, 855, dpi),
        FromTwips(3840, 60, 615, 255, dpi),
    };
}

BubbleLayout BubbleLayoutFor(int dpi, const Rect& workArea, const TextHeight& textHeight) {
    BubbleLayout layout = BubbleLayoutAt(dpi);
    const int designedWidth = layout.text1.width;
    // The text must end above the bubble's bottom edge, which cuts into the designed box (53 of its 57 pixels at
    // 96 dpi): a text between the two would lose its last line under the tail's seam.
    const int shown = std::min(layout.text1.height, BubbleRegionAt(layout.client, dpi).body.bottom - layout.text1.y);
    if (!textHeight || textHeight(designedWidth) <= shown) {
        return layout;
    }
    const int roomX = std::max(0, (workArea.right - workArea.left) - layout.client.width);
    const int widest = designedWidth + std::min(designedWidth, roomX);
    int width = widest;
    if (textHeight(widest) <= shown) {
        // The narrowest width that fits: the text's height only shrinks as the box widens.
        int tooNarrow = designedWidth;
        while (width - tooNarrow > 1) {
            const int middle = tooNarrow + (width - tooNarrow) / 2;
            if (textHeight(middle) <= shown) {
                width = middle;
            } else {
                tooNarrow = middle;
            }
        }
    }
    const int roomY = std::max(0, (workArea.bottom - workArea.top) / 2 - layout.client.height);
    const int height = std::clamp(textHeight(width), shown, shown + roomY);
    const int dx = width - designedWidth;
    const int dy = height - shown;
    layout.client.width += dx;
    layout.client.height += dy;
    layout.text1.width += dx;
    layout.text1.height += dy;
    layout.label1.x += dx;
    return layout;
}

BubbleRegion BubbleRegionAt(Size client, int dpi) {
    const int w = client.width;
    const int h = client.height;
    const int tailLeft = ScaleFrom96At(20, dpi);
    const int tailTop = h - ScaleFrom96At(21, dpi);
    return {
        {0, 0, w, h - ScaleFrom96At(20, dpi)},
        ScaleFrom96At(15, dpi),
        {{{tailLeft, tailTop}, {ScaleFrom96At(40, dpi), tailTop}, {tailLeft, h}}},
    };
}

namespace {

// The bottom-left corners meet, and with them the tails' tips.
Point TailKept(Point designedTopLeft, Size window, int dpi) {
    return {designedTopLeft.x, designedTopLeft.y - (window.height - BubbleLayoutAt(dpi).client.height)};
}

Point FitIn(Point topLeft, Size window, const Rect& workArea) {
    return {Fit(topLeft.x, window.width, workArea.left, workArea.right),
            Fit(topLeft.y, window.height, workArea.top, workArea.bottom)};
}

}  // namespace

Point PlaceBubble(Point cursor, Size window, Rect workArea, int dpi) {
    const Point designed{cursor.x - TwipsToPixelsAt(280, dpi), cursor.y - TwipsToPixelsAt(1300, dpi)};
    return FitIn(TailKept(designed, window, dpi), window, workArea);
}

Point GrowInPlace(Point designedTopLeft, Size window, Rect workArea, int dpi) {
    if (window == BubbleLayoutAt(dpi).client) {
        return designedTopLeft;
    }
    return FitIn(TailKept(designedTopLeft, window, dpi), window, workArea);
}

namespace {

// Squared distance from the point to the rectangle; 0 inside it.
long long DistanceSquared(Point p, const Rect& r) {
    const long long dx = p.x < r.left ? r.left - p.x : p.x >= r.right ? p.x - (r.right - 1) : 0;
    const long long dy = p.y < r.top ? r.top - p.y : p.y >= r.bottom ? p.y - (r.bottom - 1) : 0;
    return dx * dx + dy * dy;
}

}  // namespace

namespace {

Monitor MonitorUnder(Point cursor, std::span<const Monitor> monitors) {
    const Monitor fallback{{0, 0, 1 << 20, 1 << 20}, {0, 0, 1 << 20, 1 << 20}, 96};
    const Monitor* best = monitors.empty() ? &fallback : &monitors.front();
    for (const Monitor& m : monitors) {
        if (DistanceSquared(cursor, m.area) < DistanceSquared(cursor, best->area)) {
            best = &m;
        }
    }
    Monitor chosen = *best;
    chosen.dpi = chosen.dpi > 0 ? chosen.dpi : 96;
    return chosen;
}

}  // namespace

BubblePlacement PlaceBubbleOn(Point cursor, std::span<const Monitor> monitors, const WindowSizeFor& windowFor) {
    const Monitor monitor = MonitorUnder(cursor, monitors);
    BubblePlacement placement;
    placement.dpi = monitor.dpi;
    placement.window = windowFor ? windowFor(monitor) : BubbleLayoutAt(placement.dpi).client;
    placement.topLeft = PlaceBubble(cursor, placement.window, monitor.workArea, placement.dpi);
    return placement;
}

}  // namespace velmora
