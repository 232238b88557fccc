#include "app/folders.h"
#include "app/form1.h"
#include "support/bmpwriter.h"
#include "support/child.h"
#include "support/fakemainview.h"
#include "support/process.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace quorvane::app;
namespace fs = std::filesystem;

namespace {

class MainWindowLogic : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "program");
        view.folder = (dir / "program").string();
        form = std::make_unique<Form1>(view);
        form->Form_Load();
        // The walk-through image: 2 x 1, (255, 128, 0) and (0, 0, 255).
        logo = image("logo.bmp", 2, 1, {0x0080FF, 0xFF0000});
    }
    std::string image(const std::string& name, int w, int h, std::vector<std::uint32_t> pixels = {}) {
        if (pixels.empty()) pixels.assign(static_cast<std::size_t>(w * h), 0x336699);
        bmptest::writeFile(dir / name, bmptest::bmp24(w, h, pixels));
        return (dir / name).string();
    }
    void open(const std::string& path) {
        view.nextFile = path;
        form->Command1_Click();
    }
    std::vector<std::uint8_t> hexFile(const std::string& name) {
        const std::string text = proctest::slurp(dir / "program" / name);
        return {text.begin(), text.end()};
    }
    const MainState& state() const { return form->state(); }

    tempdir::TempDir temp{"form1"};
    const fs::path& dir = temp.path();
    FakeMainView view;
    std::unique_ptr<Form1> form;
    std::string logo;
};

} // namespace

TEST_F(MainWindowLogic, StartUp) {
    EXPECT_EQ(view.dialogTitle, "Open BMP 132x132 max");
    EXPECT_EQ(view.dialogFilter, "BMP|*.bmp");
    EXPECT_EQ(state().imageLoaded, 0);
    EXPECT_TRUE(view.texts.empty());
}

TEST_F(MainWindowLogic, RoadOfOneImageAtEachDepthAndTarget) {
    struct Case {
        const char* name;
        OptionButton depth;
        bool pic;
        const char* text2;
        const char* clipboard;
        const char* text4;
        const char* text5;
        std::vector<std::string> list2, list3;
        std::vector<std::uint8_t> file;
    };
    const Case cases[] = {
        {"8 Bit PIC", OptionButton::Option1, true, "unsigned rom char logo[7] = {\r\n0,1,240,3,0,0\r\n};",
         "0,1,240,3,0,0", "6", "3", {}, {"240", "3", "0"}, {0x00, 0x01, 0xF0, 0x03}},
        {"12 Bit ARM", OptionButton::Option2, false, "const unsigned char logo[8] = {\r\n0,1,248,0,15,0,0\r\n};",
         "0,1,248,0,15,0,0", "6", "4", {}, {}, {0x00, 0x01, 0xF8, 0x00, 0x0F}},
        {"16 Bit PIC", OptionButton::Option3, true, "unsigned rom char logo[8] = {\r\n0,1,252,0,0,31,0\r\n};",
         "0,1,252,0,0,31,0", "6", "4", {"31", "32", "0", "0", "0", "31"}, {"252", "0", "0", "31"},
         {0x00, 0x01, 0xFC, 0x00, 0x00, 0x1F}},
    };
    for (const auto& c : cases) {
        open(logo);
        EXPECT_EQ(view.text(TextBox::Text1), "1x2 - " + logo) << c.name;
        EXPECT_EQ(view.text(TextBox::Text3), "6");
        view.depthOption = c.depth;
        view.pic = c.pic;
        form->Command2_Click();
        EXPECT_EQ(view.text(TextBox::Text2), c.text2) << c.name;
        EXPECT_EQ(view.clipboard, c.clipboard) << c.name;
        EXPECT_EQ(state().outputText, c.clipboard) << c.name;
        EXPECT_EQ(view.text(TextBox::Text4), c.text4) << c.name;
        EXPECT_EQ(view.text(TextBox::Text5), c.text5) << c.name;
        EXPECT_EQ(view.list(ListBox::List2), c.list2) << c.name;
        EXPECT_EQ(view.list(ListBox::List3), c.list3) << c.name;
        form->Command3_Click();
        ASSERT_EQ(view.messages.size(), 1u) << c.name;
        EXPECT_EQ(view.messages[0].text, "logo.hex\r\nCreated Successfully!");
        EXPECT_EQ(view.messages[0].icon, MessageIcon::None);
        EXPECT_EQ(hexFile("logo.hex"), c.file) << c.name;
        view.messages.clear();
    }
}

// The window is one front end of the road that the command line also takes: its state after Make Code and
// the file of Make Header File are the entry point's result for the same picture.
TEST_F(MainWindowLogic, StateIsTheEntryPointsResultAtEveryDepth) {
    std::vector<std::uint32_t> pixels(7 * 5);
    std::vector<std::int32_t> components;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<std::uint32_t>(i * 0x3B1F27u) & 0xFFFFFF;
        components.insert(components.end(), {std::int32_t(pixels[i] & 0xFF), std::int32_t((pixels[i] >> 8) & 0xFF),
                                             std::int32_t(pixels[i] >> 16)});
    }
    open(image("odd.bmp", 7, 5, pixels));
    using quorvane::codegen::Depth;
    for (auto [option, depth] : {std::pair{OptionButton::Option1, Depth::Bits8}, {OptionButton::Option2, Depth::Bits12},
                                 {OptionButton::Option3, Depth::Bits16}}) {
        view.depthOption = option;
        form->Command2_Click();
        const auto code = quorvane::codegen::makeImageCode(components, {7, 5}, {.depth = depth, .arrayName = "odd"});
        EXPECT_EQ(view.text(TextBox::Text2), code.text.joined("\r\n"));
        EXPECT_EQ(view.clipboard, code.text.valueLine);
        EXPECT_EQ(state().outputCount, static_cast<std::int32_t>(code.outputCount()));
        const auto image = code.fileImage();
        EXPECT_TRUE(std::equal(image.begin(), image.end(), state().fileValues.begin()));
        form->Command3_Click();
        EXPECT_EQ(hexFile("odd.hex"), code.rawFile);
    }
}

// The dithering chosen in the picture's menu reaches Text2, the clipboard, fileValues and the file alike.
TEST_F(MainWindowLogic, DitheringReachesEveryOutputOfMakeCode) {
    std::vector<std::uint32_t> pixels(6 * 4);
    std::vector<std::int32_t> components;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const auto level = static_cast<std::uint32_t>(40 + 7 * i); // a ramp that no depth shows exactly
        pixels[i] = level | level << 8 | level << 16;
        components.insert(components.end(), {std::int32_t(level), std::int32_t(level), std::int32_t(level)});
    }
    open(image("ramp.bmp", 6, 4, pixels));
    using quorvane::codegen::Dither;
    view.depthOption = OptionButton::Option2;
    for (Dither dither : {Dither::ErrorDiffusion, Dither::Ordered, Dither::None}) {
        form->setDithering(dither);
        form->Command2_Click();
        const auto code = quorvane::codegen::makeImageCode(
            components, {6, 4}, {.depth = quorvane::codegen::Depth::Bits12, .arrayName = "ramp", .dither = dither});
        EXPECT_EQ(view.text(TextBox::Text2), code.text.joined("\r\n"));
        EXPECT_EQ(view.clipboard, code.text.valueLine);
        const auto image = code.fileImage();
        EXPECT_TRUE(std::equal(image.begin(), image.end(), state().fileValues.begin()));
        form->Command3_Click();
        EXPECT_EQ(hexFile("ramp.hex"), code.rawFile);
    }
    // The modes really differ on this ramp, so the loop above could not pass by ignoring the choice.
    const auto plain = quorvane::codegen::makeImageCode(components, {6, 4}, {.depth = quorvane::codegen::Depth::Bits12, .arrayName = "r"});
    const auto fs = quorvane::codegen::makeImageCode(
        components, {6, 4}, {.depth = quorvane::codegen::Depth::Bits12, .arrayName = "r", .dither = Dither::ErrorDiffusion});
    EXPECT_NE(plain.rawFile, fs.rawFile);
}

TEST_F(MainWindowLogic, ShowAsTheDisplayShowsIt) {
    open(logo); // (255, 128, 0) and (0, 0, 255)
    const std::vector<std::uint32_t> original = {0x0080FF, 0xFF0000};
    // At 8 Bit the parts (7, 4, 0) and (0, 0, 3) show as (255, 146, 0) and (0, 0, 255).
    const std::vector<std::uint32_t> displayed = {0x0092FF, 0xFF0000};

    form->setShowAsDisplayed(true); // before any Make Code there is nothing else to show
    EXPECT_EQ(view.shownPicture->pixels, original);
    form->Command2_Click();
    EXPECT_EQ(view.shownPicture->pixels, displayed);
    EXPECT_EQ(view.shownPicture->width, 2);
    form->setShowAsDisplayed(false);
    EXPECT_EQ(view.shownPicture->pixels, original);
    form->setShowAsDisplayed(true);
    EXPECT_EQ(view.shownPicture->pixels, displayed);
    EXPECT_TRUE(view.messages.empty());

    // Another picture is shown as it is, and the menu's tick goes with the old one.
    open(image("grey.bmp", 1, 1, {0x808080}));
    EXPECT_EQ(view.shownPicture->pixels, std::vector<std::uint32_t>{0x808080});
    EXPECT_FALSE(state().showAsDisplayed);
    EXPECT_EQ(view.showAsDisplayedTicked, false);
    form->Command2_Click();
    EXPECT_EQ(view.shownPicture->pixels, std::vector<std::uint32_t>{0x808080});
}

// The panel's settings reach Make Code's every output; Text1 keeps the picture as opened, and the
// display's view shows it upright again.
TEST_F(MainWindowLogic, PanelSettingsReachMakeCodeAndTheDisplayView) {
    open(logo);
    const std::vector<std::int32_t> components = {255, 128, 0, 0, 0, 255};
    const quorvane::codegen::PanelOptions panel{.bgr = true, .rotation = 90,
                                                .mirror = quorvane::codegen::Mirror::TopBottom};
    form->setPanel(panel);
    form->setShowAsDisplayed(true);
    form->Command2_Click();
    const auto code = quorvane::codegen::makeImageCode(components, {2, 1}, {.arrayName = "logo", .panel = panel});
    EXPECT_EQ(view.text(TextBox::Text2), code.text.joined("\r\n"));
    EXPECT_EQ(view.clipboard, code.text.valueLine);
    EXPECT_EQ(view.text(TextBox::Text1), "1x2 - " + logo);
    form->Command3_Click();
    EXPECT_EQ(hexFile("logo.hex"), code.rawFile);
    EXPECT_EQ(code.rawFile, (std::vector<std::uint8_t>{1, 0, 0xE0, 0x13})) << "1 x 2, blue first, the blue pixel on top";
    // Pure colours come back as the plain picture shows them: (255, 146, 0) and (0, 0, 255), 2 x 1.
    EXPECT_EQ(view.shownPicture->width, 2);
    EXPECT_EQ(view.shownPicture->pixels, (std::vector<std::uint32_t>{0x0092FF, 0xFF0000}));
}

// A picture refused as too large is offered "Fit to the panel" when fitting could take it: chosen, it
// opens fitted this once, and the menu's choice stays off; the OK button leaves everything as it was.
TEST_F(MainWindowLogic, ATooLargePictureCanBeFittedFromItsMessage) {
    open(logo);
    const auto wide = image("wide.bmp", 264, 2, std::vector<std::uint32_t>(528, 0x0000FF));
    const struct {
        const char* name;
        std::string path;
        bool chooseFit;
        int offers;
        std::string text1;
    } cases[] = {
        {"OK", wide, false, 1, "1x2 - " + logo},
        {"Fit to the panel", wide, true, 1, "1x132 - " + wide},
        {"beyond what fitting takes: no offer", image("huge.bmp", 8193, 1), true, 0, "1x132 - " + wide},
    };
    for (const auto& c : cases) {
        view.messages.clear();
        view.fitOffers = 0;
        view.chooseFit = c.chooseFit;
        open(c.path);
        EXPECT_EQ(view.fitOffers, c.offers) << c.name;
        ASSERT_EQ(view.messages.size(), 1u) << c.name;
        EXPECT_EQ(view.messages[0].icon, MessageIcon::Error) << c.name;
        EXPECT_EQ(view.text(TextBox::Text1), c.text1) << c.name;
        EXPECT_FALSE(state().fitLarger) << c.name;
    }
    EXPECT_EQ(view.messages[0].text, "Image dimensions too large.");
}

TEST_F(MainWindowLogic, NothingHappensBeforeAPictureIsCaptured) {
    form->Command2_Click();
    form->Command3_Click();
    EXPECT_TRUE(view.texts.empty());
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(view.clipboard, "");
    EXPECT_TRUE(fs::is_empty(dir / "program"));
}

TEST_F(MainWindowLogic, HeaderFileBeforeMakeCodeWritesAndSaysNothing) {
    std::ofstream(dir / "program" / "logo.hex") << "good file";
    open(logo);
    form->Command3_Click();
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(proctest::slurp(dir / "program" / "logo.hex"), "good file");
}

TEST_F(MainWindowLogic, CaptureFactsAndStore) {
    // 100 wide, 50 high: Text1 puts the height first; the second row starts at entry 300.
    std::vector<std::uint32_t> pixels(5000, 0);
    pixels[0] = 0x0000FF;
    pixels[100] = 0xFF0000;
    const auto path = image("wide.bmp", 100, 50, pixels);
    open(path);
    EXPECT_EQ(state().widthText, "100");
    EXPECT_EQ(state().heightText, "50");
    EXPECT_EQ(view.text(TextBox::Text1), "50x100 - " + path);
    EXPECT_EQ(state().componentCount, 15000);
    EXPECT_EQ(view.text(TextBox::Text3), "15000");
    EXPECT_EQ(state().componentStore[0], 255);
    EXPECT_EQ(state().componentStore[1], 0);
    EXPECT_EQ(state().componentStore[300], 0);
    EXPECT_EQ(state().componentStore[302], 255);
    ASSERT_TRUE(view.shownPicture);
    EXPECT_EQ(view.shownPicture->width, 100);

    // A smaller picture afterwards leaves no trace of the larger one in the store.
    open(logo);
    EXPECT_EQ(state().componentCount, 6);
    for (std::size_t i = 6; i < 15003; ++i) ASSERT_EQ(state().componentStore[i], 0) << i;
}

TEST_F(MainWindowLogic, LargestPictureAndTheSizeLimit) {
    open(image("max.bmp", 132, 132));
    EXPECT_EQ(state().componentCount, 52272);
    EXPECT_EQ(view.text(TextBox::Text3), "52272");
    view.depthOption = OptionButton::Option2;
    form->Command2_Click();
    EXPECT_EQ(view.text(TextBox::Text5), "26137");
    EXPECT_EQ(state().outputCount, 26137);
    form->Command3_Click();
    EXPECT_EQ(hexFile("max.hex").size(), 2u + 26136u);
}

// A refused picture changes nothing: the earlier picture stays shown, named and converted.
TEST_F(MainWindowLogic, RefusedPictureKeepsTheEarlierOne) {
    open(logo);
    form->Command2_Click();
    const std::string text2 = view.text(TextBox::Text2);
    for (auto [w, h] : {std::pair{133, 1}, {1, 133}, {200, 200}}) {
        open(image("big.bmp", w, h));
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_EQ(view.messages[0].text, "Image dimensions too large.");
        EXPECT_EQ(view.messages[0].icon, MessageIcon::Error);
        view.messages.clear();
        EXPECT_EQ(state().imagePath, logo);
        EXPECT_EQ(view.shownPicture->width, 2);
        EXPECT_EQ(view.text(TextBox::Text1), "1x2 - " + logo);
        EXPECT_EQ(view.text(TextBox::Text2), text2);
    }
    form->Command2_Click();
    EXPECT_EQ(view.text(TextBox::Text2), text2) << "still the earlier picture, under its own name";
    form->Command3_Click();
    EXPECT_TRUE(fs::exists(dir / "program" / "logo.hex"));
    EXPECT_FALSE(fs::exists(dir / "program" / "big.hex"));
}

TEST_F(MainWindowLogic, CancelledOrTooShortChoicesChangeNothing) {
    open(logo);
    for (std::optional<std::string> choice : {std::optional<std::string>{}, std::optional<std::string>{""},
                                              std::optional<std::string>{"x"}}) {
        view.nextFile = choice;
        form->Command1_Click();
        EXPECT_EQ(state().imagePath, logo);
        EXPECT_EQ(state().componentCount, 6);
    }
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(MainWindowLogic, UndecodableFilesAreReportedAndChangeNothing) {
    open(logo);
    form->Command2_Click();
    fs::create_directories(dir / "folder.bmp");
    std::ofstream(dir / "fake.bmp") << "\x89PNG\r\n\x1a\n not a bitmap";
    std::ofstream(dir / "garbage.bmp") << "BM this is garbage after the signature";
    for (const fs::path& path : {dir / "missing.bmp", dir / "folder.bmp", dir / "fake.bmp", dir / "garbage.bmp"}) {
        open(path.string());
        ASSERT_EQ(view.messages.size(), 1u) << path;
        EXPECT_EQ(view.messages[0].icon, MessageIcon::Error);
        EXPECT_NE(view.messages[0].text.find(path.string()), std::string::npos) << view.messages[0].text;
        view.messages.clear();
        EXPECT_EQ(state().imagePath, logo);
        EXPECT_EQ(state().outputCount, 3) << "the last Make Code still stands";
        EXPECT_EQ(view.text(TextBox::Text1), "1x2 - " + logo);
    }
}

TEST_F(MainWindowLogic, AFileThatCannotBeWrittenIsReportedAndTheOldOneKept) {
    open(logo);
    form->Command2_Click();
    std::ofstream(dir / "program" / "logo.hex") << "keep me";
    fs::permissions(dir / "program" / "logo.hex", fs::perms::owner_read);
    form->Command3_Click();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].icon, MessageIcon::Error);
    EXPECT_NE(view.messages[0].text.find((dir / "program" / "logo.hex").string()), std::string::npos);
    EXPECT_EQ(proctest::slurp(dir / "program" / "logo.hex"), "keep me");

    // A program folder that is gone cannot take the file either: it goes beside the picture instead.
    view.messages.clear();
    view.folder = (dir / "no-such-folder").string();
    form->Command3_Click();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, (dir / "logo.hex").string() + "\r\nCreated Successfully!");
    EXPECT_EQ(view.messages[0].icon, MessageIcon::None);
    fs::permissions(dir / "program" / "logo.hex", fs::perms::owner_all);
}

TEST_F(MainWindowLogic, MakeCodeTwiceAndAfterADepthChange) {
    open(logo);
    form->Command2_Click();
    const auto first = view.texts;
    form->Command2_Click();
    EXPECT_EQ(view.texts, first);
    EXPECT_EQ(view.list(ListBox::List3).size(), 3u);
    view.depthOption = OptionButton::Option2;
    form->Command2_Click();
    EXPECT_TRUE(view.list(ListBox::List3).empty());
    // The file follows the last Make Code, not the option selected now.
    view.depthOption = OptionButton::Option1;
    form->Command3_Click();
    EXPECT_EQ(hexFile("logo.hex"), (std::vector<std::uint8_t>{0x00, 0x01, 0xF8, 0x00, 0x0F}));
}

TEST_F(MainWindowLogic, OneWhitePixelAtEightBitEndsTheFileWithItsCode) {
    open(image("w.bmp", 1, 1, {0xFFFFFF}));
    form->Command2_Click();
    form->Command3_Click();
    EXPECT_EQ(hexFile("w.hex"), (std::vector<std::uint8_t>{0x00, 0x00, 0xFF}));
}

TEST_F(MainWindowLogic, ANewCaptureResetsTheOutputsButNotTheFileImage) {
    open(logo);
    form->Command2_Click();
    open(image("w.bmp", 1, 1, {0xFFFFFF}));
    EXPECT_EQ(state().outputCount, 0);
    EXPECT_EQ(view.text(TextBox::Text2), "");
    EXPECT_EQ(view.text(TextBox::Text4), "");
    EXPECT_EQ(view.text(TextBox::Text5), "3") << "Text5 is not touched by Open BMP";
    EXPECT_EQ(state().fileValues[2], 240) << "fileValues stay until the next Make Code";
}

TEST_F(MainWindowLogic, ClearDataEmptiesTheStoreOnly) {
    open(image("ten.bmp", 10, 10, std::vector<std::uint32_t>(100, 0x010203)));
    form->Command2_Click();
    form->ClearData();
    EXPECT_EQ(state().componentCount, 0);
    EXPECT_EQ(state().outputCount, 0);
    for (std::size_t i = 0; i < 300; ++i) ASSERT_EQ(state().componentStore[i], 0);
    EXPECT_EQ(state().fileValues[0], 9);
    EXPECT_EQ(view.text(TextBox::Text3), "300");
    EXPECT_EQ(state().imageLoaded, 1);
}

TEST_F(MainWindowLogic, CaptionFollowsTheMouseAndTheListSelection) {
    form->Picture1_MouseMove(1, 0, 5, 7);
    EXPECT_EQ(view.caption, "Quorvane Tessaline. (MOUSE) X: 5 Y: 7");
    form->Picture1_MouseMove(0, 0, 0, 0);
    EXPECT_EQ(view.caption, "Quorvane Tessaline. (MOUSE) X: 0 Y: 0");
    view.selectedIndex = 0;
    form->List1_Click();
    EXPECT_EQ(view.caption, "0");
    form->Command4_Click();
    EXPECT_EQ(view.converterOpenings, 1);
}

// An installed copy lives in /usr/bin, which is no place for a picture's file even for root: the file
// goes beside the picture, whole, and the message gives its full path.
TEST_F(MainWindowLogic, RawFileBesideThePictureWhenTheProgramFolderIsTheSystems) {
    view.folder = "/usr/bin";
    std::ofstream(dir / "logo.hex") << std::string(100, 'x'); // longer than the new file
    open(logo);
    form->Command2_Click();
    form->Command3_Click();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, (dir / "logo.hex").string() + "\r\nCreated Successfully!");
    EXPECT_EQ(view.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(proctest::slurp(dir / "logo.hex"), std::string("\x00\x01\xF0\x03", 4));
    EXPECT_FALSE(fs::exists("/usr/bin/logo.hex"));
}

// A user who cannot write the program's folder gets the file beside the picture.
TEST_F(MainWindowLogic, RawFileBesideThePictureWhenTheProgramFolderIsNotWritable) {
    fs::permissions(dir, fs::perms::all);
    fs::permissions(dir / "program", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                         fs::perms::others_exec);
    const std::string failures = childtest::runInChild(
        [&]() -> std::string {
            FakeMainView own;
            own.folder = (dir / "program").string();
            const auto opened = formAfterOneRun(own, logo);
            const std::string expected = (dir / "logo.hex").string() + "\r\nCreated Successfully!";
            if (own.messages.size() != 1 || own.messages[0].text != expected) {
                return "message: " + (own.messages.empty() ? std::string("none") : own.messages[0].text);
            }
            return proctest::slurp(dir / "logo.hex") == std::string("\x00\x01\xF0\x03", 4) ? "" : "wrong bytes";
        },
        true);
    EXPECT_EQ(failures, "");
}

TEST(Folders, WhereUserFilesMayGo) {
    tempdir::TempDir temp{"folders"};
    struct Case {
        const char* name;
        fs::path folder;
        bool keeps;
    };
    const Case cases[] = {
        {"a build tree or a portable copy", temp.path(), true},
        {"the system's programs", "/usr/bin", false},
        {"the same, written with a trailing slash", "/usr/bin/", false},
        {"the locally installed programs", "/usr/local/bin", false},
        {"a folder that does not exist", temp.path() / "missing", false},
    };
    for (const auto& c : cases) EXPECT_EQ(keepsUserFiles(c.folder), c.keeps) << c.name;
}

// quorvane FILE: the same checks and messages as "Open BMP", without the dialog.
TEST_F(MainWindowLogic, PictureGivenAtStartUpOpensAsTheDialogWould) {
    form->openGivenPicture(logo);
    EXPECT_EQ(view.dialogsShown, 0);
    EXPECT_EQ(view.text(TextBox::Text1), "1x2 - " + logo);
    EXPECT_EQ(state().componentCount, 6);

    form->openGivenPicture(image("wide.bmp", 133, 1));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, "Image dimensions too large.");
    EXPECT_EQ(view.messages[0].icon, MessageIcon::Error);
    fs::create_directories(dir / "folder.bmp");
    for (const char* unreadable : {"missing.bmp", "folder.bmp"}) {
        form->openGivenPicture((dir / unreadable).string());
        EXPECT_EQ(view.messages.back().icon, MessageIcon::Error);
        EXPECT_NE(view.messages.back().text.find(unreadable), std::string::npos) << view.messages.back().text;
    }
    EXPECT_EQ(view.messages.size(), 3u);
    EXPECT_EQ(view.text(TextBox::Text1), "1x2 - " + logo) << "the picture opened before stays";
}

// A 240 x 320 picture on an ST7789: opened at its size, shown in the frame at 99 x 132 with the caption naming the picture's own pixels, and seen as the
// display shows it through its two-byte sizes. (The widget test holds its bytes against the command
// line's.)
TEST_F(MainWindowLogic, ALargeDisplaysPictureThroughTheWholeRoad) {
    const auto pixels = bmptest::noise(240 * 320);
    const std::string picture = image("panel.bmp", 240, 320, pixels);
    form->setDisplay(quorvane::codegen::displayPreset("st7789-240x320"));
    open(picture);
    ASSERT_EQ(state().imageLoaded, 1);
    EXPECT_EQ(view.text(FakeMainView::TextBox::Text1).substr(0, 8), "320x240 ");
    ASSERT_TRUE(view.shownPicture);
    EXPECT_EQ(std::pair(view.shownPicture->width, view.shownPicture->height), std::pair(99, 132));
    // Shown pixel 98 stands for the picture's pixel under its centre: 98.5 * 240 / 99 = 238.8.
    EXPECT_EQ(view.shownPicture->pixel(98, 131), pixels[318 * 240 + 238]); // 131.5 * 320 / 132 = 318.8
    form->Picture1_MouseMove(0, 0, 98, 131);
    EXPECT_EQ(view.caption, "Quorvane Tessaline. (MOUSE) X: 238 Y: 318");

    form->Command2_Click();
    const std::size_t messages = view.messages.size();
    form->setShowAsDisplayed(true);
    EXPECT_EQ(view.messages.size(), messages) << view.messages.back().text;
    ASSERT_TRUE(view.shownPicture);
    EXPECT_EQ(std::pair(view.shownPicture->width, view.shownPicture->height), std::pair(99, 132));
    const std::uint32_t source = pixels[318 * 240 + 238], shown = view.shownPicture->pixel(98, 131);
    for (int shift = 0; shift <= 16; shift += 8) {
        EXPECT_LE(std::abs(int((source >> shift) & 0xFF) - int((shown >> shift) & 0xFF)), 9) << "within a step of 5 bits";
    }
}
