#include "core/bubble/Bubble.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace velmora {
namespace {

constexpr int kDpis[] = {96, 120, 144, 192};

TEST(BubbleGeometry, ControlsAt96Dpi) {
    const BubbleLayout layout = BubbleLayoutAt(96);
    EXPECT_EQ(layout.label3, (Bounds{16, 4, 57, 17}));
    EXPECT_EQ(layout.text1, (Bounds{16, 21, 273, 57}));
    EXPECT_EQ(layout.label1, (Bounds{256, 4, 41, 17}));
    EXPECT_EQ(BubbleLayoutAt(144).text1, (Bounds{24, 32, 410, 86}));
}

TEST(BubbleGeometry, RegionShapesPerDpi) {
    const struct {
        int dpi;
        Size client;
        BubbleRegion region;
    } cases[] = {
        {96, {301, 94}, {{0, 0, 301, 74}, 15, {{{20, 73}, {40, 73}, {20, 94}}}}},
        {120, {376, 118}, {{0, 0, 376, 93}, 19, {{{25, 92}, {50, 92}, {25, 118}}}}},
        {144, {452, 141}, {{0, 0, 452, 111}, 23, {{{30, 109}, {60, 109}, {30, 141}}}}},
        {192, {602, 188}, {{0, 0, 602, 148}, 30, {{{40, 146}, {80, 146}, {40, 188}}}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BubbleLayoutAt(c.dpi).client, c.client) << c.dpi;
        const BubbleRegion r = BubbleRegionAt(c.client, c.dpi);
        EXPECT_EQ(r.body, c.region.body) << c.dpi;
        EXPECT_EQ(r.corner, c.region.corner) << c.dpi;
        EXPECT_EQ(r.tail, c.region.tail) << c.dpi;
    }
}

TEST(BubblePlacement, KeepsThePositionOrMovesJustEnoughToFit) {
    const Rect screen{0, 0, 1280, 1024};
    const Rect left{-1920, 0, 0, 1080};
    const Rect above{0, -1024, 1280, 0};
    const Rect right{1280, 0, 2560, 1024};
    const struct {
        const char* what;
        Point cursor;
        Rect workArea;
        int dpi;
        Point expected;
    } cases[] = {
        {"middle", {500, 500}, screen, 96, {481, 413}},
        {"exact fit top-left", {19, 87}, screen, 96, {0, 0}},
        {"top-left corner", {0, 0}, screen, 96, {0, 0}},
        {"near top", {640, 30}, screen, 96, {621, 0}},
        {"bottom-right corner", {1279, 1023}, screen, 96, {979, 930}},
        {"above a taskbar", {640, 983}, {0, 0, 1280, 984}, 96, {621, 890}},
        {"left monitor, right edge", {-5, 500}, left, 96, {-301, 413}},
        {"left monitor, middle", {-900, 500}, left, 96, {-919, 413}},
        {"upper monitor, bottom", {600, -10}, above, 96, {581, -97}},
        {"upper monitor, top", {600, -1020}, above, 96, {581, -1024}},
        {"right monitor, corner", {1285, 50}, right, 96, {1280, 0}},
        {"120 dpi", {1000, 1000}, {0, 0, 1600, 1200}, 120, {977, 892}},
        {"144 dpi", {1000, 1000}, {0, 0, 3840, 2160}, 144, {972, 870}},
        {"192 dpi", {1000, 1000}, {0, 0, 3840, 2160}, 192, {963, 827}},
        {"192 dpi corner", {3839, 2159}, {0, 0, 3840, 2160}, 192, {3238, 1972}},
        {"work area too small", {100, 100}, {0, 0, 200, 50}, 96, {0, 0}},
    };
    for (const auto& c : cases) {
        const Size size = BubbleLayoutAt(c.dpi).client;
        EXPECT_EQ(PlaceBubble(c.cursor, size, c.workArea, c.dpi), c.expected) << c.what;
    }
}

// Left in place, the tail's tip points at the mouse pointer: its last pixel is just below and right of it.
TEST(BubblePlacement, TailTipMeetsThePointerAtEveryDpi) {
    const Point cursor{2000, 1000};
    for (int dpi : kDpis) {
        const Size size = BubbleLayoutAt(dpi).client;
        const Point place = PlaceBubble(cursor, size, {0, 0, 4000, 3000}, dpi);
        const Point tip = BubbleRegionAt(size, dpi).tail[2];
        const int dx = place.x + tip.x - cursor.x;
        const int dy = place.y + tip.y - 1 - cursor.y;
        EXPECT_GE(dx, 0) << dpi;
        EXPECT_LE(dx, ScaleFrom96At(3, dpi)) << dpi;
        EXPECT_GE(dy, 0) << dpi;
        EXPECT_LE(dy, ScaleFrom96At(8, dpi)) << dpi;
    }
}

// A 150 % primary monitor with a 100 % one beside it: the bubble takes the size, tail offset and work area of
// the monitor under the pointer.
TEST(BubblePlacement, FollowsTheMonitorUnderThePointer) {
    const Monitor primary{{0, 0, 2880, 1800}, {0, 0, 2880, 1728}, 144};
    const Monitor right{{2880, 0, 4800, 1080}, {2880, 0, 4800, 1040}, 96};
    const Monitor left{{-1920, 0, 0, 1080}, {-1920, 0, 0, 1040}, 96};
    struct Case {
        const char* what;
        std::vector<Monitor> monitors;
        Point cursor;
        BubblePlacement expected;
    };
    const Case cases[] = {
        {"on the 100 % monitor", {primary, right}, {3500, 600}, {96, {301, 94}, {3481, 513}}},
        {"on the 150 % monitor", {primary, right}, {1000, 1000}, {144, {452, 141}, {972, 870}}},
        {"order of the list does not matter", {right, primary}, {1000, 1000}, {144, {452, 141}, {972, 870}}},
        {"kept in the 100 % work area at its size", {primary, right}, {4790, 1030}, {96, {301, 94}, {4499, 943}}},
        {"just above the 100 % monitor's taskbar", {primary, right}, {3500, 1039}, {96, {301, 94}, {3481, 946}}},
        {"off every monitor: the nearest", {primary, right}, {3000, 1500}, {144, {452, 141}, {2428, 1370}}},
        {"left of the primary", {primary, left}, {-5, 10}, {96, {301, 94}, {-301, 0}}},
        {"no monitor known", {}, {500, 500}, {96, {301, 94}, {481, 413}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlaceBubbleOn(c.cursor, c.monitors), c.expected) << c.what;
    }
}

// A translation grows the bubble: wider first (to the narrowest width that holds it), then taller up to half the
// work area, then it scrolls; the tail's tip stays where it was and the bubble stays in the work area.
TEST(BubbleGrowth, WiderThenTallerThenCappedWithTheTailTipInPlace) {
    enum Expect { Designed, Wider, Taller, Capped };
    for (int dpi : {96, 144, 192}) {
        const Rect work{0, 0, ScaleFrom96At(1280, dpi), ScaleFrom96At(984, dpi)};  // a taskbar below
        const BubbleLayout designed = BubbleLayoutAt(dpi);
        for (const auto& [chars, expect] :
             {std::pair{80, Designed}, {100, Wider}, {150, Wider}, {300, Taller}, {5000, Capped}}) {
            SCOPED_TRACE(testing::Message() << dpi << " dpi, " << chars << " characters");
            // Full-width characters wrapped anywhere, as the text box wraps Japanese text.
            const TextHeight height = [&, chars = chars](int width) {
                const int perLine = width / ScaleFrom96At(13, dpi);
                return (chars + perLine - 1) / perLine * ScaleFrom96At(12, dpi);
            };
            const BubbleLayout grown = BubbleLayoutFor(dpi, work, height);
            const int dx = grown.client.width - designed.client.width;
            const int dy = grown.client.height - designed.client.height;
            EXPECT_EQ((Size{grown.text1.width, grown.text1.height}),
                      (Size{designed.text1.width + dx, designed.text1.height + dy}));
            EXPECT_EQ(grown.label1.x, designed.label1.x + dx);  // "Close" keeps to the top right corner
            EXPECT_EQ(dx == 0 && dy == 0, expect == Designed);
            // Grown, the text shows whole above the bubble's bottom edge, which cuts into the text box.
            const int shown = BubbleRegionAt(grown.client, dpi).body.bottom - grown.text1.y;
            const int needed = height(grown.text1.width);
            EXPECT_EQ(dy == 0 && dx < designed.text1.width, expect <= Wider);
            if (expect == Wider) {
                EXPECT_GT(height(grown.text1.width - 1), shown);  // the narrowest that holds it
            }
            EXPECT_EQ(needed == shown, expect == Taller);
            EXPECT_EQ(grown.client.height == (work.bottom - work.top) / 2 && needed > shown, expect == Capped);

            // The tail's tip stays: the bottom-left corners meet; near the top right corner the whole bubble is
            // moved into the work area; in place of the pending bubble, exactly there at the designed size.
            const Point small = PlaceBubble({work.right / 2, work.bottom * 3 / 4}, designed.client, work, dpi);
            EXPECT_EQ(PlaceBubble({work.right / 2, work.bottom * 3 / 4}, grown.client, work, dpi),
                      (Point{small.x, small.y - dy}));
            EXPECT_EQ(PlaceBubble({work.right - 5, 30}, grown.client, work, dpi),
                      (Point{work.right - grown.client.width, 0}));
            EXPECT_EQ(GrowInPlace({-40, small.y}, grown.client, work, dpi),
                      (expect == Designed ? Point{-40, small.y} : Point{0, small.y - dy}));
        }
    }
    // To the pixel, at 96 dpi: the part of the text box above the bubble's bottom edge (53 of its 57 pixels) decides
    // whether it grows, and a text that fits exactly from some width on gets that width.
    const Rect work{0, 0, 1280, 984};
    const BubbleLayout designed = BubbleLayoutAt(96);
    const int shown = BubbleRegionAt(designed.client, 96).body.bottom - designed.text1.y;
    const int fitsFrom = designed.text1.width + 37;
    struct Edge {
        const char* what;
        TextHeight height;
        Size text;
    };
    const Edge edges[] = {
        {"fits the shown box", [&](int) { return shown; }, {designed.text1.width, designed.text1.height}},
        {"1 px taller", [&](int) { return shown + 1; }, {2 * designed.text1.width, designed.text1.height + 1}},
        {"under the seam", [&](int) { return shown + 3; }, {2 * designed.text1.width, designed.text1.height + 3}},
        {"fits exactly from a width on", [&](int w) { return w >= fitsFrom ? shown : shown + 12; },
         {fitsFrom, designed.text1.height}},
    };
    for (const Edge& e : edges) {
        const BubbleLayout grown = BubbleLayoutFor(96, work, e.height);
        EXPECT_EQ((Size{grown.text1.width, grown.text1.height}), e.text) << e.what;
        EXPECT_LE(e.height(grown.text1.width), BubbleRegionAt(grown.client, 96).body.bottom - grown.text1.y) << e.what;
    }
    // A work area narrower than twice the bubble: it grows only as wide as the work area.
    EXPECT_EQ(BubbleLayoutFor(96, {0, 0, 400, 700}, [](int width) { return 200000 / width; }).client,
              (Size{400, 350}));
}

}  // namespace
}  // namespace velmora
