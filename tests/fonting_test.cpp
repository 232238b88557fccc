// The Font window's handlers against a fake window: Make Code writes exactly what quorvane-cli font
// writes for the same choices, the sample is drawn as the panel shows it, and a bad font leaves the
// one shown before.
#include "app/fonting.h"
#include "app/form1.h"
#include "cli/run.h"
#include "support/fakemainview.h"
#include "support/process.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace quorvane;
namespace fs = std::filesystem;

namespace {

const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

} // namespace

TEST(Fonting, MakeCodeWritesWhatTheCommandLineWrites) {
    const tempdir::TempDir temp("fonting");
    std::ofstream(temp / "ui.txt") << "Temp\xC3\xA9rature\n";
    using codegen::Depth;
    const struct {
        std::string name;
        app::FontChoices choices;
        int bpp = 0; // 0: the window's default
        std::string typed;
        bool file = false;
        std::vector<std::string> options;
    } cases[] = {
        {"16 little bgr", {{Depth::Bits16, codegen::ByteOrder::Little, true}, codegen::Target::Arm}, 0, "", false,
         {"--depth", "16", "--byte-order", "little", "--bgr", "--target", "arm"}},
        {"12, 2 bits, typed and a file", {{Depth::Bits12, codegen::ByteOrder::Big, false, true}, codegen::Target::Avr}, 2, "0123", true,
         {"--depth", "12", "--invert", "--target", "avr", "--bpp", "2", "--chars", "0123", "--chars-from", (temp / "ui.txt").string()}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFontView view;
        app::Fonting fonting(view);
        fonting.setChoices(c.choices);
        fonting.setFont(kDejaVu);
        fonting.setSize(13);
        if (c.bpp) fonting.setBpp(c.bpp);
        if (!c.typed.empty()) fonting.setCharacters(c.typed);
        if (c.file) {
            view.charsChoice = (temp / "ui.txt").string();
            fonting.addCharactersFile();
        }
        view.makeChoice = (temp / "window.c").string();
        fonting.makeCode();
        ASSERT_TRUE(view.messages.empty()) << view.messages.front();

        std::vector<std::string> args{"font", kDejaVu, "--size", "13", "--name", "window", "--output", (temp / "cli.c").string(),
                                      "--header", (temp / "window.h.cli").string(), "--hex", (temp / "cli.hex").string()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const std::vector<std::string_view> views(args.begin(), args.end());
        std::ostringstream out, err;
        ASSERT_EQ(cli::run(views, out, err), 0) << err.str();
        const std::string source = proctest::slurp(temp / "window.c");
        EXPECT_EQ(proctest::slurp(temp / "window.hex"), proctest::slurp(temp / "cli.hex"));
        EXPECT_EQ(view.clipboard, source);
        // The command line's header has its own file name, so its include guard and include differ by that.
        std::string header = proctest::slurp(temp / "window.h.cli"), cliSource = proctest::slurp(temp / "cli.c");
        for (std::size_t at; (at = header.find("WINDOW_H_CLI")) != std::string::npos;) header.replace(at, 12, "WINDOW_H");
        cliSource.replace(cliSource.find("window.h.cli"), 12, "window.h");
        EXPECT_EQ(proctest::slurp(temp / "window.h"), header);
        EXPECT_EQ(source, cliSource);
    }
}

// Choices made while a conversion runs are converted when it ends; a cancelled one leaves the font shown
// before and says nothing.
TEST(Fonting, ChoicesWhileConvertingAndCancel) {
    FakeFontView view;
    app::Fonting fonting(view);
    fonting.setFont(kDejaVu);
    ASSERT_TRUE(fonting.font());
    const auto before = fonting.font()->bytes;
    view.holdWork = true;
    fonting.setSize(20);
    fonting.setBpp(2); // while the size is converted
    ASSERT_EQ(view.held.size(), 1u);
    EXPECT_TRUE(view.busy);
    const auto finish = [&] {
        auto [work, done] = std::move(view.held.front());
        view.held.erase(view.held.begin());
        work();
        done();
    };
    finish();
    ASSERT_EQ(view.held.size(), 1u) << "the bits a pixel changed meanwhile: converted again";
    finish();
    EXPECT_FALSE(view.busy);
    EXPECT_EQ(fonting.font()->data.bpp, 2);
    EXPECT_EQ(fonting.request().sizePx, 20);
    const auto converted = fonting.font()->bytes;
    EXPECT_NE(converted, before);
    fonting.setSize(9);
    fonting.cancel();
    finish();
    EXPECT_EQ(fonting.font()->bytes, converted);
    EXPECT_TRUE(view.messages.empty());
}

// "Font…" in the picture's menu opens the window, which takes the main window's colours as they change.
TEST(Fonting, FollowsTheMainWindowsChoices) {
    FakeMainView view;
    app::Form1 form(view);
    form.Form_Load();
    form.openFont();
    EXPECT_EQ(view.fontOpenings, 1);
    form.setColours({.mono = true, .monoLayout = codegen::MonoLayout::RowsLsb});
    view.fontingHandlers.setFont(kDejaVu);
    ASSERT_TRUE(view.fontingHandlers.font());
    EXPECT_TRUE(view.fontingHandlers.font()->data.pixel.mono);
    EXPECT_EQ(view.fontingHandlers.font()->data.pixel.monoLayout, codegen::MonoLayout::RowsLsb);
    EXPECT_EQ(view.fontingHandlers.font()->data.bpp, 1) << "a mono panel's font is one bit a pixel until chosen otherwise";
}

// What the window refuses says why and leaves what was there: Make Code before a font, a file that is not
// a font (the font before is still drawn), characters from a file that is not UTF-8, and a folder that
// is not there to write into. (The real window's test holds the summary and the sample's size.)
TEST(Fonting, RefusalsSayWhyAndKeepTheFont) {
    const tempdir::TempDir temp("fontrefusals");
    std::ofstream(temp / "latin1.txt", std::ios::binary) << "Temp\xE9";
    FakeFontView view;
    app::Fonting fonting(view);
    view.makeChoice = (temp / "early.c").string();
    fonting.makeCode();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages.back(), "Choose a font first.");
    EXPECT_FALSE(fs::exists(temp / "early.c"));

    fonting.setFont(kDejaVu);
    EXPECT_EQ(view.fontName, "DejaVu Sans Book");
    fonting.setSample("AVa");
    const auto bytes = fonting.font()->bytes;
    const auto sample = view.samples.back().rgb;
    std::ofstream(temp / "notes.txt") << "plain text";
    fonting.setFont((temp / "notes.txt").string());
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_NE(view.messages.back().find("not a font FreeType can read"), std::string::npos) << view.messages.back();
    EXPECT_EQ(fonting.font()->bytes, bytes);
    fonting.setSample("AVa");
    EXPECT_EQ(view.samples.back().rgb, sample) << "the font shown before is still drawn";
    view.charsChoice = (temp / "latin1.txt").string();
    fonting.addCharactersFile();
    ASSERT_EQ(view.messages.size(), 3u);
    EXPECT_EQ(view.messages.back(), (temp / "latin1.txt").string() + ": not UTF-8 text (byte 4).");
    EXPECT_EQ(fonting.font()->bytes, bytes);
    EXPECT_TRUE(fonting.charactersFiles().empty()) << "a file refused is not kept";
    view.makeChoice = (temp / "missing" / "label.c").string();
    fonting.makeCode();
    ASSERT_EQ(view.messages.size(), 4u);
    EXPECT_NE(view.messages.back().find("missing"), std::string::npos) << view.messages.back();
    EXPECT_TRUE(view.clipboard.empty()) << "nothing is copied when nothing is written";
}
