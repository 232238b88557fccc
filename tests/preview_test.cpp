// The preview against the fake windows: what it shows is what "Make Code" makes and what
// `quorvane-cli --preview` writes, it follows every choice live, and it leaves the main window alone.
#include "app/form1.h"
#include "app/preview.h"
#include "cli/run.h"
#include "codegen/display.h"
#include "codegen/rawfile.h"
#include "support/bmpwriter.h"
#include "support/fakemainview.h"
#include "support/process.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

using namespace quorvane;
using app::OptionButton;
namespace fs = std::filesystem;

namespace {

struct Choices {
    const char* name;
    OptionButton depth;
    codegen::Dither dither;
    codegen::PanelOptions panel;
    std::vector<std::string_view> cliOptions; // the same choices on the command line
    codegen::Storage storage{};                // "Colours" and "Compression"
};

const Choices kChoices[] = {
    {"8 Bit", OptionButton::Option1, codegen::Dither::None, {}, {"--depth", "8"}},
    {"12 Bit ordered", OptionButton::Option2, codegen::Dither::Ordered, {}, {"--depth", "12", "--dither", "ordered"}},
    {"16 Bit fs", OptionButton::Option3, codegen::Dither::ErrorDiffusion, {}, {"--depth", "16", "--dither", "fs"}},
    {"12 Bit turned and mirrored", OptionButton::Option2, codegen::Dither::None,
     {.rotation = 90, .mirror = codegen::Mirror::LeftRight}, {"--depth", "12", "--rotate", "90", "--mirror", "h"}},
    {"8 Bit swapped and inverted", OptionButton::Option1, codegen::Dither::ErrorDiffusion,
     {.invert = true, .bgr = true}, {"--depth", "8", "--dither", "fs", "--bgr", "--invert"}},
    {"16 Bit upside down", OptionButton::Option3, codegen::Dither::None, {.rotation = 180}, {"--depth", "16", "--rotate", "180"}},
    {"12 Bit in 4 colours, lz4", OptionButton::Option2, codegen::Dither::None, {.rotation = 270},
     {"--depth", "12", "--rotate", "270", "--palette", "4", "--compress", "lz4"}, {.paletteSize = 4, .compression = codegen::Compression::Lz4}},
    {"mono in pages, dithered, rle", OptionButton::Option1, codegen::Dither::ErrorDiffusion, {.mirror = codegen::Mirror::TopBottom},
     {"--mono", "--mono-layout", "pages", "--dither", "fs", "--mirror", "v", "--compress", "rle"},
     {.mono = true, .monoLayout = codegen::MonoLayout::Pages, .compression = codegen::Compression::Rle}},
};

class PreviewLogic : public ::testing::Test {
protected:
    void SetUp() override {
        view.folder = dir.string();
        form.Form_Load();
        // 5 x 3 with odd sizes, so a rotation or mirror undone wrongly cannot come back equal.
        std::vector<std::uint32_t> pixels;
        for (std::uint32_t i = 0; i < 15; ++i) pixels.push_back((i * 0x2F1D07u + 0x0080FFu) & 0xFFFFFF);
        pixels[0] = 0x0080FF; // (255, 128, 0)
        picture = (dir / "logo.bmp").string();
        bmptest::writeFile(picture, bmptest::bmp24(5, 3, pixels));
    }
    void choose(const Choices& c) {
        form.setDithering(c.dither);
        form.setPanel(c.panel);
        form.setColours(c.storage);
        form.setCompression(c.storage.compression);
        view.depthOption = c.depth;
        form.Option_Click();
    }
    void open() {
        view.nextFile = picture;
        form.Command1_Click();
    }
    const codegen::DisplayedPicture& shown() const { return view.previewView.panelView; }

    tempdir::TempDir temp{"preview"};
    const fs::path& dir = temp.path();
    FakeMainView view;
    app::Form1 form{view};
    std::string picture;
};

} // namespace

// Each choice reaches the preview at once; "Make Code" afterwards makes exactly the bytes it showed,
// and until then nothing of the main window has changed.
TEST_F(PreviewLogic, PanelViewFollowsEveryChoiceAndIsWhatMakeCodeMakes) {
    form.Picture1_DblClick();
    EXPECT_EQ(view.previewView.status, app::Preview::kNoPicture);
    open();
    form.Command2_Click();
    for (const Choices& c : kChoices) {
        SCOPED_TRACE(c.name);
        const auto before = std::make_unique<app::MainState>(form.state());
        const auto texts = view.texts;
        const std::string clipboard = view.clipboard;
        const int updates = view.previewView.updates;
        choose(c);
        EXPECT_GT(view.previewView.updates, updates);
        EXPECT_EQ(form.state().fileValues, before->fileValues);
        EXPECT_EQ(form.state().componentStore, before->componentStore);
        EXPECT_EQ(view.texts, texts);
        EXPECT_EQ(view.clipboard, clipboard);

        form.Command2_Click();
        const auto made = codegen::displayedPicture(
            codegen::rawFileBytes(form.state().fileValues, form.state().fileByteCount), form.state().fileOptions.rawLayout(),
            c.panel);
        ASSERT_TRUE(made);
        EXPECT_EQ(shown().rgb, made->rgb);
        EXPECT_EQ(std::pair(shown().width, shown().height), std::pair(5, 3)) << "the panel's turn is undone";
        view.previewHandlers.pointAt(std::pair(0, 0));
        EXPECT_EQ(view.previewView.status.find("   Mono   on the panel ") != std::string::npos, c.storage.mono)
            << view.previewView.status << ": a mono panel has no depth's codes";
    }
    EXPECT_EQ(view.previewOpenings, 1);
}

// "Save picture…" writes the same file as `quorvane-cli code --preview` with the same choices.
TEST_F(PreviewLogic, SavedPictureIsTheCommandLinePreview) {
    open();
    form.openPreview();
    for (const Choices& c : kChoices) {
        SCOPED_TRACE(c.name);
        choose(c);
        view.previewView.saveAs = (dir / "window").string(); // without an extension: .png is added
        view.previewHandlers.savePicture();
        EXPECT_EQ(view.previewView.suggestedFile, (dir / "logo-panel.png").string());

        std::vector<std::string_view> args = {"code"};
        args.insert(args.end(), c.cliOptions.begin(), c.cliOptions.end());
        const std::string cliPng = (dir / "cli.png").string();
        args.insert(args.end(), {"--preview", cliPng, "--output", "/dev/null", picture});
        std::ostringstream out, err;
        ASSERT_EQ(cli::run(args, out, err), 0) << err.str();
        EXPECT_EQ(proctest::slurp(dir / "window.png"), proctest::slurp(cliPng));
    }
    EXPECT_TRUE(view.previewView.messages.empty());

    view.previewView.saveAs = (dir / "missing" / "p.png").string();
    view.previewHandlers.savePicture();
    ASSERT_EQ(view.previewView.messages.size(), 1u);
    EXPECT_NE(view.previewView.messages[0].find("missing"), std::string::npos) << view.previewView.messages[0];
    EXPECT_FALSE(fs::exists(dir / "missing"));
}
