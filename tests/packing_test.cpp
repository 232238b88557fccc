// The Pack window's handlers against a fake window: Make Pack writes exactly what quorvane-cli pack
// writes for the window's choices, animations play at their delays, and bad input or Cancel leave the
// pack as it was.
#include "app/form1.h"
#include "app/packing.h"
#include "cli/run.h"
#include "support/animwriters.h"
#include "support/bmpwriter.h"
#include "support/fakemainview.h"
#include "support/process.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace quorvane;
using app::OptionButton;
namespace fs = std::filesystem;

namespace {

class Packing : public ::testing::Test {
  protected:
    void SetUp() override {
        form.Form_Load();
        fs::create_directories(dir / "icons");
        fs::create_directories(dir / "window");
        fs::create_directories(dir / "cli");
        bmptest::writeFile(dir / "icons" / "a10.bmp", bmptest::bmp24(3, 2, {0xFF, 0xFF00, 0xFF0000, 0, 0xFFFFFF, 0x808080}));
        bmptest::writeFile(dir / "icons" / "a9.bmp", bmptest::bmp24(2, 2, {0x123456, 0x654321, 0, 0xFFFFFF}));
        std::vector<animtest::GifFrameSpec> frames;
        for (int f = 0; f < 3; ++f) {
            std::vector<std::uint8_t> indexes(20, 0);
            indexes[static_cast<std::size_t>(f * 6)] = 1;
            frames.push_back({.width = 5, .height = 4, .indexes = indexes, .delayCs = f == 2 ? 0 : 4 + f});
        }
        gif = (dir / "dot.gif").string();
        bmptest::writeFile(gif, animtest::animatedGif(5, 4, {0xFFFFFF, 0x0000FF}, frames, 0));
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    tempdir::TempDir temp{"packing"};
    const fs::path& dir = temp.path();
    FakeMainView view;
    app::Form1 form{view};
    std::string gif;
};

} // namespace

TEST_F(Packing, MakePackWritesWhatTheCommandLineWrites) {
    const struct {
        const char* name;
        OptionButton depth;
        bool pic;
        codegen::PanelOptions panel;
        codegen::Storage storage;
        std::vector<std::string_view> cli;
    } cases[] = {
        {"8 Bit, pic", OptionButton::Option1, true, {}, {}, {"--depth", "8"}},
        {"16 Bit, arm, turned", OptionButton::Option3, false, {.rotation = 90}, {}, {"--depth", "16", "--target", "arm", "--rotate", "90"}},
        {"12 Bit in 16 colours, smallest", OptionButton::Option2, true, {.bgr = true}, {.paletteSize = 16, .compression = codegen::Compression::Auto},
         {"--depth", "12", "--bgr", "--palette", "16", "--compress", "auto"}},
        {"mono in pages, rle", OptionButton::Option1, true, {}, {.mono = true, .monoLayout = codegen::MonoLayout::Pages, .compression = codegen::Compression::Rle},
         {"--mono", "--mono-layout", "pages", "--compress", "rle"}},
    };
    form.openPack();
    EXPECT_EQ(view.packOpenings, 1);
    view.packingHandlers.addInputs({gif, path("icons")});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view.pic = c.pic;
        form.setPanel(c.panel);
        form.setColours(c.storage);
        form.setCompression(c.storage.compression);
        view.depthOption = c.depth;
        form.Option_Click();
        ASSERT_EQ(view.packView.rows.size(), 3u);
        view.packView.makeChoice = path("window/assets.c");
        form.makePack();
        ASSERT_TRUE(view.packView.messages.empty()) << view.packView.messages.front();

        std::vector<std::string_view> args = {"pack", "--name", "assets", "--output", "", "--header", "", "--hex", ""};
        const std::string output = path("cli/assets.c"), header = path("cli/assets.h"), hex = path("cli/assets.hex"), icons = path("icons");
        args[4] = output, args[6] = header, args[8] = hex;
        args.insert(args.end(), c.cli.begin(), c.cli.end());
        args.insert(args.end(), {gif, icons});
        std::ostringstream out, err;
        ASSERT_EQ(cli::run(args, out, err), 0) << err.str();
        for (const char* file : {"assets.c", "assets.h", "assets.hex"}) {
            EXPECT_EQ(proctest::slurp(dir / "window" / file), proctest::slurp(dir / "cli" / file)) << file;
        }
        EXPECT_EQ(view.packView.packBytes, fs::file_size(hex));
    }
}

// The rows in input order (a folder's pictures in natural order), and the selected animation looping at
// its delays, a delay of 0 shown for the shortest time the window allows.
TEST_F(Packing, ListsAssetsAndPlaysTheSelectedOne) {
    form.openPack();
    view.packView.addChoice = gif;
    view.packingHandlers.addChosen();
    view.packingHandlers.addInputs({path("icons")});
    const auto& rows = view.packView.rows;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].name, "dot");
    EXPECT_EQ(rows[1].name, "a9");
    EXPECT_EQ(rows[2].name, "a10");
    EXPECT_EQ(rows[0].frames, 3u);
    EXPECT_EQ(rows[1].width, 2);
    EXPECT_EQ(rows[0].thumbnail.width, 5);
    EXPECT_FALSE(view.packView.progress.empty());
    EXPECT_EQ(view.packView.progress.back(), (std::pair<std::size_t, std::size_t>{3, 3}));

    view.packView.frames.clear();
    view.packView.delays.clear();
    view.packingHandlers.select(0);
    for (int tick = 0; tick < 3; ++tick) view.packingHandlers.nextFrame();
    ASSERT_EQ(view.packView.frames.size(), 4u);
    EXPECT_EQ(view.packView.frames[3].rgb, view.packView.frames[0].rgb) << "it loops";
    EXPECT_NE(view.packView.frames[1].rgb, view.packView.frames[0].rgb);
    EXPECT_EQ(view.packView.delays, (std::vector<int>{40, 50, app::Packing::kShortestDelayMs, 40}));
    const std::size_t shown = view.packView.frames.size();
    view.packingHandlers.select(1);
    view.packingHandlers.nextFrame();
    EXPECT_EQ(view.packView.frames.size(), shown + 1) << "a still is shown once, and not played";
}

// A file that is not a picture is named, and what was there stays; so does a conversion cancelled. Inputs
// added while converting are converted once that ends.
TEST_F(Packing, BadInputAndCancelLeaveThePackAsItWas) {
    form.openPack();
    view.packingHandlers.addInputs({gif});
    const auto bytes = view.packingHandlers.packBytes();
    std::ofstream(dir / "notes.png") << "not a picture";
    view.packingHandlers.addInputs({path("notes.png")});
    ASSERT_EQ(view.packView.messages.size(), 1u);
    EXPECT_NE(view.packView.messages[0].find("notes.png"), std::string::npos) << view.packView.messages[0];
    EXPECT_EQ(view.packingHandlers.packBytes(), bytes);
    EXPECT_EQ(view.packView.rows.size(), 1u);
    view.packingHandlers.addInputs({path("icons")});
    EXPECT_EQ(view.packView.rows.size(), 3u) << "the picture that failed was dropped again";

    view.packView.holdWork = true;
    view.packingHandlers.addInputs({path("icons/a9.bmp")});
    EXPECT_TRUE(view.packView.busy);
    view.packingHandlers.cancel();
    ASSERT_EQ(view.packView.held.size(), 1u);
    view.packView.held[0].first();
    view.packView.held[0].second();
    EXPECT_FALSE(view.packView.busy);
    EXPECT_EQ(view.packView.rows.size(), 3u) << "cancelled: the pack stays";

    view.packView.held.clear();
    view.packingHandlers.addInputs({gif});
    view.packingHandlers.addInputs({gif}); // while the first runs
    ASSERT_EQ(view.packView.held.size(), 1u);
    view.packView.held[0].first();
    view.packView.held[0].second(); // ends the first, starts the second
    ASSERT_EQ(view.packView.held.size(), 2u);
    view.packView.held[1].first();
    view.packView.held[1].second();
    EXPECT_EQ(view.packView.rows.size(), 6u);
    EXPECT_EQ(view.packView.rows.back().name, "dot_3");
}
