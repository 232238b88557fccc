#include "colorconv/cform.h"
#include "support/memorycolorview.h"

#include <gtest/gtest.h>

#include <map>

using namespace quorvane::colorconv;

namespace {

// The in-memory window, with a colour dialog that answers from a script and a pixel read that can fail.
class FakeColorWindow : public MemoryColorView {
public:
    std::optional<std::uint32_t> chooseColor(std::uint32_t current) override {
        offered.push_back(current);
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    std::uint32_t swatchPixel() const override { return brokenPixelRead ? 0xFFFFFFFFu : MemoryColorView::swatchPixel(); }

    std::vector<std::optional<std::uint32_t>> answers; // nullopt: the user cancels
    std::vector<std::uint32_t> offered;
    bool brokenPixelRead = false;
};

struct Texts {
    std::string rr, gg, bb, er, eg, eb, ec, tr, tg, tb, tc, sr, sg, sb, sc, cc;
};

Texts resultsOf(const ColorView& v) {
    return {v.text(Box::rr), v.text(Box::gg), v.text(Box::bb), v.text(Box::er), v.text(Box::eg), v.text(Box::eb),
            v.text(Box::ec), v.text(Box::tr), v.text(Box::tg), v.text(Box::tb), v.text(Box::tc), v.text(Box::sr),
            v.text(Box::sg), v.text(Box::sb), v.text(Box::sc), v.text(Box::cc)};
}

void expectTexts(const ColorView& v, const Texts& e, const std::string& row) {
    const Texts a = resultsOf(v);
    EXPECT_EQ(a.rr + " " + a.gg + " " + a.bb, e.rr + " " + e.gg + " " + e.bb) << row;
    EXPECT_EQ(a.er + " " + a.eg + " " + a.eb + " " + a.ec, e.er + " " + e.eg + " " + e.eb + " " + e.ec) << row;
    EXPECT_EQ(a.tr + " " + a.tg + " " + a.tb + " " + a.tc, e.tr + " " + e.tg + " " + e.tb + " " + e.tc) << row;
    EXPECT_EQ(a.sr + " " + a.sg + " " + a.sb + " " + a.sc, e.sr + " " + e.sg + " " + e.sb + " " + e.sc) << row;
    EXPECT_EQ(a.cc, e.cc) << row;
}

struct Worked {
    int r, g, b;
    Texts expected;
};

// Worked conversions; the 12-bit code writes both digits of each byte.
const Worked worked[] = {
    {255, 0, 0, {"255", "0", "0", "7", "0", "0", "0xE0", "15", "0", "0", "0xF000", "31", "0", "0", "0xF800", "0x0000FF"}},
    {18, 52, 86, {"18", "52", "86", "0", "1", "1", "0x5", "1", "3", "5", "0x1350", "2", "12", "10", "0x118A", "0x563412"}},
    {255, 255, 255,
     {"255", "255", "255", "7", "7", "3", "0xFF", "15", "15", "15", "0xFFF0", "31", "63", "31", "0xFFFF", "0xFFFFFF"}},
    {0, 0, 0, {"0", "0", "0", "0", "0", "0", "0x0", "0", "0", "0", "0x0000", "0", "0", "0", "0x0", "0x000000"}},
    {0, 0, 255, {"0", "0", "255", "0", "0", "3", "0x3", "0", "0", "15", "0x00F0", "0", "0", "31", "0x1F", "0xFF0000"}},
    {128, 128, 128,
     {"128", "128", "128", "4", "4", "2", "0x92", "8", "8", "8", "0x8880", "16", "32", "16", "0x8410", "0x808080"}},
    {255, 255, 0, {"255", "255", "0", "7", "7", "0", "0xFC", "15", "15", "0", "0xFF00", "31", "63", "0", "0xFFE0", "0x00FFFF"}},
    {0, 255, 255, {"0", "255", "255", "0", "7", "3", "0x1F", "0", "15", "15", "0x0FF0", "0", "63", "31", "0x7FF", "0xFFFF00"}},
};

std::uint32_t colourOf(int r, int g, int b) { return static_cast<std::uint32_t>(r + 256 * g + 65536 * b); }

} // namespace

TEST(ColorConverter, WorkedConversionsTyped) {
    for (const auto& w : worked) {
        FakeColorWindow window;
        Cform form(window);
        form.loadDesignState();
        window.setText(Box::cr, std::to_string(w.r));
        window.setText(Box::cg, std::to_string(w.g));
        window.setText(Box::cb, std::to_string(w.b));
        form.Custombtn_Click();
        const std::string row = std::to_string(w.r) + "," + std::to_string(w.g) + "," + std::to_string(w.b);
        expectTexts(window, w.expected, row);
        EXPECT_EQ(window.swatch(), colourOf(w.r, w.g, w.b)) << row;
    }
}

TEST(ColorConverter, WorkedConversionsPickedAndCustomAfterThePick) {
    for (const auto& w : worked) {
        FakeColorWindow window;
        Cform form(window);
        form.loadDesignState();
        window.answers = {colourOf(w.r, w.g, w.b)};
        form.Picture1_Click();
        const std::string row = std::to_string(w.r) + "," + std::to_string(w.g) + "," + std::to_string(w.b);
        expectTexts(window, w.expected, row);
        EXPECT_EQ(window.text(Box::cr), std::to_string(w.r)) << row;
        EXPECT_EQ(window.text(Box::cb), std::to_string(w.b)) << row;
        form.Custombtn_Click(); // converts the same colour again
        expectTexts(window, w.expected, row + " then Custom");
    }
}

TEST(ColorConverter, TiesGoToTheEvenPart) {
    struct Case {
        const char* typed;
        Box box;
        const char* expected;
    };
    const Case cases[] = {{"52", Box::sg, "12"}, {"32", Box::er, "0"}, {"33", Box::er, "1"},
                          {"64", Box::er, "2"},  {"96", Box::er, "2"}, {"192", Box::eb, "2"}};
    for (const auto& c : cases) {
        FakeColorWindow window;
        Cform form(window);
        form.loadDesignState();
        for (Box entry : {Box::cr, Box::cg, Box::cb}) window.setText(entry, c.typed);
        form.Custombtn_Click();
        EXPECT_EQ(window.text(c.box), c.expected) << c.typed << " in " << boxName(c.box);
    }
}

TEST(ColorConverter, OutOfRangeEntriesStopAfterCopyingTheTexts) {
    for (const char* typed : {"256", "255.5", "-1", "-0.5", "1e3"}) {
        FakeColorWindow window;
        Cform form(window);
        form.loadDesignState();
        window.setText(Box::cr, "18");
        window.setText(Box::cg, "52");
        window.setText(Box::cb, "86");
        form.Custombtn_Click();
        const Texts before = resultsOf(window);
        window.setText(Box::cg, typed);
        window.setText(Box::cb, "");
        form.Custombtn_Click();
        EXPECT_EQ(window.text(Box::rr), "18") << typed;
        EXPECT_EQ(window.text(Box::gg), typed);
        EXPECT_EQ(window.text(Box::bb), "");
        EXPECT_EQ(window.text(Box::cb), "") << typed << ": stopped before empty entries become 0";
        EXPECT_EQ(window.text(Box::sc), before.sc) << typed;
        EXPECT_EQ(window.text(Box::cc), before.cc) << typed;
        EXPECT_EQ(window.swatch(), colourOf(18, 52, 86)) << typed;
    }
}

TEST(ColorConverter, UnusualEntriesConvertWithTheirNumericValue) {
    struct Case {
        const char* red;
        const char* green;
        const char* blue;
        std::uint32_t swatch;
        const char* rr;
        const char* er;
        const char* cgAfter;
        const char* gg;
    };
    const Case cases[] = {
        {"255", "", "0", colourOf(255, 0, 0), "255", "7", "0", ""},    // empty green: entry 0, full box empty
        {"12abc", "0", "0", colourOf(12, 0, 0), "12abc", "0", "0", "0"},
        {"12.5", "0", "0", colourOf(12, 0, 0), "12.5", "0", "0", "0"}, // round(round(28.5) / 32 - 1) = 0
        {"0", "0", " 86", colourOf(0, 0, 86), "0", "0", "0", "0"},
        {"abc", "0", "0", 0, "abc", "0", "0", "0"},
    };
    for (const auto& c : cases) {
        FakeColorWindow window;
        Cform form(window);
        form.loadDesignState();
        window.setText(Box::cr, c.red);
        window.setText(Box::cg, c.green);
        window.setText(Box::cb, c.blue);
        form.Custombtn_Click();
        EXPECT_EQ(window.swatch(), c.swatch) << c.red;
        EXPECT_EQ(window.text(Box::rr), c.rr) << c.red;
        EXPECT_EQ(window.text(Box::er), c.er) << c.red;
        EXPECT_EQ(window.text(Box::cg), c.cgAfter) << c.red;
        EXPECT_EQ(window.text(Box::gg), c.gg) << c.red;
    }
    FakeColorWindow window;
    Cform form(window);
    form.loadDesignState();
    window.setText(Box::cb, " 86");
    form.Custombtn_Click();
    EXPECT_EQ(window.text(Box::bb), " 86") << "the blank stays";
    EXPECT_EQ(window.text(Box::tb), "5");
    EXPECT_EQ(window.text(Box::cc), "0x560000");
}

TEST(ColorConverter, AFailedPixelReadConvertsAsWhite) {
    FakeColorWindow window;
    Cform form(window);
    form.loadDesignState();
    window.brokenPixelRead = true;
    window.answers = {colourOf(1, 2, 3)};
    form.Picture1_Click();
    expectTexts(window, worked[2].expected, "all-ones read");
}

TEST(ColorConverter, TheDialogKeepsItsLastColourUntilTheWindowReloads) {
    FakeColorWindow window;
    Cform form(window);
    form.loadDesignState();
    window.answers = {std::nullopt}; // cancel before any choice: black
    form.Picture1_Click();
    EXPECT_EQ(window.text(Box::cc), "0x000000");
    window.answers = {colourOf(255, 0, 0), std::nullopt};
    form.Picture1_Click();
    window.setText(Box::cr, "0");
    window.setText(Box::cb, "255");
    form.Custombtn_Click(); // the swatch turns blue
    form.Picture1_Click();  // cancel: the dialog's red comes back
    EXPECT_EQ(window.text(Box::cc), "0x0000FF");
    EXPECT_EQ(window.offered, (std::vector<std::uint32_t>{0, 0, 0xFF}));

    form.loadDesignState();
    EXPECT_EQ(window.swatch(), std::nullopt) << "window-background colour";
    EXPECT_EQ(window.text(Box::cr), "0");
    EXPECT_EQ(window.text(Box::rr), "");
    window.answers = {std::nullopt};
    form.Picture1_Click();
    EXPECT_EQ(window.text(Box::cc), "0x000000") << "a reopened window's dialog starts from black";
}
