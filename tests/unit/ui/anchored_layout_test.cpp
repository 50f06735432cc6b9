#include "ui/anchored_layout.h"
#include "ui/exception_window.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

namespace {

TEST(DialogUnits, ScaleWithTheFontAndRound) {
    EXPECT_EQ(dialogBaseUnits(364, 13).x, 7); // 14 per letter
    EXPECT_EQ(dialogBaseUnits(365, 13).x, 7);
    EXPECT_EQ(dialogBaseUnits(390, 16).x, 8); // 15 per letter rounds up
    const PixelRect pixels = dialogUnitsToPixels({16, 54, 259, 156}, {6, 13});
    EXPECT_EQ(pixels.left, 24);    // 16 * 6 / 4
    EXPECT_EQ(pixels.top, 88);     // 54 * 13 / 8 = 87.75
    EXPECT_EQ(pixels.right, 389);  // 259 * 6 / 4 = 388.5
    EXPECT_EQ(pixels.bottom, 254); // 156 * 13 / 8 = 253.5
}

std::map<int32_t, PixelRect> byId(const std::vector<PlacedControl>& controls) {
    std::map<int32_t, PixelRect> rects;
    for (const PlacedControl& control : controls)
        rects[control.id] = control.rect;
    return rects;
}

// The exception dialog grown by 100 pixels each way, then made smaller than it opened.
TEST(AnchoredLayout, ExceptionDialogFollowsItsAnchorTable) {
    const DialogBaseUnits base{8, 16}; // 2 pixels per unit each way
    AnchoredLayout layout = javaExceptionLayout(dialogUnitsToPixels(javaExceptionClientUnits, base),
                                                controlsInPixels(javaExceptionControlUnits, base));
    EXPECT_EQ(layout.initialWidth(), 550);
    EXPECT_EQ(layout.initialHeight(), 484);
    const std::map<int32_t, PixelRect> initial = byId(layout.controls());
    ASSERT_EQ(initial.size(), 8u);

    const struct {
        int32_t id;
        int32_t left, top, right, bottom; // moves of each edge
    } grown[] = {
        {ExceptionControl::frame, 0, 0, 100, 100},
        {ExceptionControl::icon, 0, 0, 0, 0},
        {ExceptionControl::heading, 0, 0, 100, 0},
        {ExceptionControl::trace, 0, 0, 100, 100},
        {ExceptionControl::instructions, 0, 100, 100, 100},
        {ExceptionControl::warning, 0, 100, 100, 100},
        {ExceptionControl::ignore, 100, 100, 100, 100},
        {ExceptionControl::stop, 100, 100, 100, 100},
    };
    for (int round = 0; round < 2; ++round) { // repeated sizing does not accumulate
        std::map<int32_t, PixelRect> now = byId(layout.arrange(650, 584));
        for (const auto& g : grown) {
            const PixelRect& before = initial.at(g.id);
            const PixelRect& after = now.at(g.id);
            EXPECT_EQ(after.left - before.left, g.left) << g.id;
            EXPECT_EQ(after.top - before.top, g.top) << g.id;
            EXPECT_EQ(after.right - before.right, g.right) << g.id;
            EXPECT_EQ(after.bottom - before.bottom, g.bottom) << g.id;
        }
    }
    const std::map<int32_t, PixelRect> shrunk = byId(layout.arrange(100, 50));
    for (const auto& [id, rect] : initial) {
        EXPECT_EQ(shrunk.at(id).left, rect.left) << id;
        EXPECT_EQ(shrunk.at(id).bottom, rect.bottom) << id;
        EXPECT_EQ(shrunk.at(id).right, rect.right) << id;
    }
    EXPECT_EQ(initial.at(ExceptionControl::stop).right, 518);  // 259 units
    EXPECT_EQ(initial.at(ExceptionControl::stop).bottom, 448); // 224 units
}

TEST(ExceptionWindowRequest, CarriesTheLanguagesTextsAndTheWholeReport) {
    const MessageLanguage* german = findMessageLanguage(0x0407);
    ASSERT_NE(german, nullptr);
    const std::string report = "java.lang.Error: Grüße\n\tat Main.main(Main.java:1)\n";
    const WindowMessage request = exceptionWindowRequest(*german, report);
    EXPECT_EQ(request.kind, "exception");
    EXPECT_EQ(request.field("caption"), "Java-Ausnahme");
    for (const char* key : {"group", "heading", "instructions", "warning", "ignore", "stop"}) {
        EXPECT_EQ(request.field(key), german->dialogText(231, key)) << key;
        EXPECT_FALSE(request.field(key).empty()) << key;
    }
    EXPECT_EQ(request.field("report"), report);
    EXPECT_TRUE(encodeWindowMessage(request));
}

TEST(ExceptionWindowRequest, AReportTooLongForARequestIsCutAtAWholeCharacter) {
    const std::string report = std::string(maxWindowValueSize - 1, 'x') + "€ and more";
    const WindowMessage request =
        exceptionWindowRequest(nearestMessageLanguage("en_US.UTF-8"), report);
    EXPECT_EQ(request.field("report"), std::string(maxWindowValueSize - 1, 'x'));
    EXPECT_TRUE(encodeWindowMessage(request)) << "still fits one request";
}

} // namespace

namespace {

// The exception dialog in dialog units, grown where a text needs more room; each row gives the
// moves of the four edges of every control.
TEST(GrowToFit, AGrownControlPushesWhatFollowsAndStretchesWhatEnclosesIt) {
    const std::vector<PlacedControl> template231 =
        controlsInPixels(javaExceptionControlUnits, {4, 8}); // dialog units
    using Moves = std::map<int32_t, std::array<int32_t, 4>>;
    const struct {
        const char* name;
        std::map<int32_t, ControlNeed> needs;
        int32_t clientWider, clientTaller;
        Moves moves; // controls not named stay
    } cases[] = {
        {"everything fits",
         {{ExceptionControl::heading, {100, 16}}, {ExceptionControl::stop, {50, 0}}},
         0,
         0,
         {}},
        {"a taller heading",
         {{ExceptionControl::heading, {0, 24}}},
         0,
         8,
         {{ExceptionControl::frame, {0, 0, 0, 8}},
          {ExceptionControl::heading, {0, 0, 0, 8}},
          {ExceptionControl::trace, {0, 8, 0, 8}},
          {ExceptionControl::instructions, {0, 8, 0, 8}},
          {ExceptionControl::warning, {0, 8, 0, 8}},
          {ExceptionControl::ignore, {0, 8, 0, 8}},
          {ExceptionControl::stop, {0, 8, 0, 8}}}},
        {"a wider Ignore and taller instructions",
         {{ExceptionControl::ignore, {60, 14}}, {ExceptionControl::instructions, {0, 21}}},
         10,
         3,
         {{ExceptionControl::frame, {0, 0, 10, 3}},
          {ExceptionControl::instructions, {0, 0, 0, 3}},
          {ExceptionControl::warning, {0, 3, 0, 3}},
          {ExceptionControl::ignore, {0, 3, 10, 3}},
          {ExceptionControl::stop, {10, 3, 10, 3}}}},
    };
    for (const auto& c : cases) {
        std::vector<PlacedControl> controls = template231;
        std::vector<ControlNeed> needs;
        for (const PlacedControl& control : controls)
            needs.push_back(c.needs.count(control.id) ? c.needs.at(control.id) : ControlNeed{});
        PixelRect client = javaExceptionClientUnits;
        growToFit(client, controls, needs);
        EXPECT_EQ(client.right, javaExceptionClientUnits.right + c.clientWider) << c.name;
        EXPECT_EQ(client.bottom, javaExceptionClientUnits.bottom + c.clientTaller) << c.name;
        for (size_t i = 0; i < controls.size(); ++i) {
            const PixelRect& was = template231[i].rect;
            const PixelRect& now = controls[i].rect;
            const std::array<int32_t, 4> moved{now.left - was.left, now.top - was.top,
                                               now.right - was.right, now.bottom - was.bottom};
            const auto named = c.moves.find(controls[i].id);
            const std::array<int32_t, 4> expected =
                named == c.moves.end() ? std::array<int32_t, 4>{} : named->second;
            EXPECT_EQ(moved, expected) << c.name << ": control " << controls[i].id;
        }
    }
}

} // namespace
