// Hostile files through both doors, the window's "Open BMP" and quorvane-cli: each is refused with a
// message that names the file and the reason, and what was there before stays as it was.
#include "app/form1.h"
#include "support/bmpwriter.h"
#include "support/child.h"
#include "support/fakemainview.h"
#include "support/hostilepictures.h"
#include "support/process.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <sstream>
#include <sys/resource.h>

namespace fs = std::filesystem;
using namespace quorvane::app;

#if !defined(__SANITIZE_ADDRESS__)
// Peak of the memory this process holds through operator new, to bound what a hostile file costs.
// Never inlined: seen inside its callers, GCC takes the size word before each block for an overrun.
namespace {
std::atomic<std::size_t> heldBytes{0}, peakBytes{0};
}
[[gnu::noinline]] void* operator new(std::size_t size) {
    auto* block = static_cast<std::size_t*>(std::malloc(size + sizeof(std::max_align_t)));
    if (!block) throw std::bad_alloc();
    *block = size;
    const std::size_t now = heldBytes += size;
    for (std::size_t peak = peakBytes; now > peak && !peakBytes.compare_exchange_weak(peak, now);) {}
    return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    if (!p) return;
    auto* block = reinterpret_cast<std::size_t*>(static_cast<char*>(p) - sizeof(std::max_align_t));
    heldBytes -= *block;
    std::free(block);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
#define QUORVANE_COUNTS_MEMORY 1
#endif

namespace {

// With fitting as without: a fitted picture is never held whole.
constexpr std::size_t kMemoryBound = 64u << 20;

struct BadInput {
    const char* name;
    std::function<void(const fs::path&)> make; // creates the input at the given path
    const char* reason;                        // part of the message
    bool unreadableByUsers = false;
    bool fit = false;                          // with the window's "Fit larger pictures", or --fit
};

std::vector<std::uint8_t> goodBmp() { return bmptest::bmp24(4, 4, std::vector<std::uint32_t>(16, 0x336699)); }

void writeBytes(const fs::path& p, const std::vector<std::uint8_t>& bytes) { bmptest::writeFile(p, bytes); }

std::vector<std::uint8_t> headerOnly(std::int32_t width, std::int32_t height) {
    return bmptest::buildBmp({.width = width, .height = height, .bitCount = 24, .pixelData = {0, 0, 0, 0}});
}

const BadInput badInputs[] = {
    {"ZeroLength", [](const fs::path& p) { writeBytes(p, {}); }, "the file is empty"},
    {"TruncatedHeader", [](const fs::path& p) { auto b = goodBmp(); b.resize(30); writeBytes(p, b); }, "truncated"},
    {"TruncatedPixels", [](const fs::path& p) { auto b = goodBmp(); b.erase(b.end() - 20, b.end()); writeBytes(p, b); },
     "truncated"},
    {"SignatureThenGarbage",
     [](const fs::path& p) {
         std::vector<std::uint8_t> b = {'B', 'M'};
         for (int i = 0; i < 200; ++i) b.push_back(static_cast<std::uint8_t>(i * 97 + 13));
         writeBytes(p, b);
     },
     "header size"},
    {"AbsurdSize", [](const fs::path& p) { writeBytes(p, headerOnly(100000, 100000)); }, "Image dimensions too large."},
    {"ZeroWidth", [](const fs::path& p) { writeBytes(p, headerOnly(0, 4)); }, "width is zero"},
    {"ZeroHeight", [](const fs::path& p) { writeBytes(p, headerOnly(4, 0)); }, "height is zero"},
    {"NegativeWidth", [](const fs::path& p) { writeBytes(p, headerOnly(-4, 4)); }, "width is negative"},
    // A PNG or a JPEG is read whatever its name; these two end inside their headers.
    {"PngHeaderCutShortNamedBmp", [](const fs::path& p) { writeBytes(p, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'}); },
     "truncated"},
    {"JpegHeaderCutShortNamedBmp", [](const fs::path& p) { writeBytes(p, {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0}); },
     "JPEG data is damaged"},
    // PNG, JPEG and GIF, each read by its content whatever its name.
    {"PngSignatureThenRandomBytes",
     [](const fs::path& p) { writeBytes(p, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0x3C, 0xF1, 0x07, 0x9A, 0x55, 0x12, 0xE0, 0x6B}); },
     "PNG data is damaged"},
    {"PngCutInsideIdat",
     [](const fs::path& p) { auto b = hostile::noisyPng(); b.resize(hostile::find(b, "IDAT") + 2000); writeBytes(p, b); },
     "truncated"},
    {"PngBadIdatCrc",
     [](const fs::path& p) {
         auto b = hostile::noisyPng();
         const std::size_t idat = hostile::find(b, "IDAT");
         const std::uint32_t length = std::uint32_t(b[idat - 4]) << 24 | std::uint32_t(b[idat - 3]) << 16 | std::uint32_t(b[idat - 2]) << 8 | b[idat - 1];
         b[idat + 4 + length] ^= 0xFF; // the first byte of its CRC
         writeBytes(p, b);
     },
     "CRC error"},
    {"PngDeclares100000Square", [](const fs::path& p) { writeBytes(p, hostile::pngDeclaring(100000, 100000, {})); }, "Image dimensions too large."},
    {"PngDeclaresWidth2To31", [](const fs::path& p) { writeBytes(p, hostile::pngDeclaring(0x7FFFFFFF, 1, {})); }, "Image dimensions too large."},
    {"PngDeclares100000SquareWithFit", [](const fs::path& p) { writeBytes(p, hostile::pngDeclaring(100000, 100000, {})); },
     "more than 8192", false, true},
    // 8 x 8 grey holds 72 bytes of rows; this stream inflates to 64 MiB.
    {"PngImageDataFarBeyondItsRows",
     [](const fs::path& p) { writeBytes(p, hostile::pngDeclaring(8, 8, hostile::deflated(std::vector<std::uint8_t>(64u << 20, 0)))); },
     "past the declared rows"},
    {"JpegCutInsideItsScan",
     [](const fs::path& p) { auto b = hostile::noisyJpeg(); b.resize(b.size() * 2 / 3); writeBytes(p, b); },
     "cut short"},
    // A progressive JPEG is held whole while it decodes: at 8192 x 8192, 4:4:4, that would be 400 MB.
    {"ProgressiveJpegDeclares8192SquareWithFit", [](const fs::path& p) { writeBytes(p, hostile::jpegDeclaring(8192, 8192, true)); },
     "more memory to decode than this program allows", false, true},
    {"JpegDeclares65500Square", [](const fs::path& p) { writeBytes(p, hostile::jpegDeclaring(65500, 65500)); }, "Image dimensions too large."},
    {"JpegDeclares65500SquareWithFit", [](const fs::path& p) { writeBytes(p, hostile::jpegDeclaring(65500, 65500)); },
     "more than 8192", false, true},
    {"GifTruncated", [](const fs::path& p) { auto b = hostile::smallGif(4, 4); b.erase(b.end() - 6, b.end()); writeBytes(p, b); }, "truncated"},
    {"GifHugeScreenTinyFrame", [](const fs::path& p) { writeBytes(p, hostile::smallGif(65535, 65535)); }, "Image dimensions too large."},
    {"GifHugeScreenTinyFrameWithFit", [](const fs::path& p) { writeBytes(p, hostile::smallGif(65535, 65535)); },
     "more than 8192", false, true},
    {"FolderNamedBmp", [](const fs::path& p) { fs::create_directories(p); }, "is a folder"},
    {"MissingFile", [](const fs::path&) {}, "does not exist"},
    {"NoReadPermission",
     [](const fs::path& p) {
         writeBytes(p, goodBmp());
         fs::permissions(p, fs::perms::none);
     },
     "Permission denied", true},
};

class HostileFile : public ::testing::TestWithParam<BadInput> {
protected:
    void SetUp() override {
        fs::create_directories(dir / "program");
        // Everyone may work here: the permission case runs as an ordinary user.
        for (const auto& d : {dir, dir / "program"}) fs::permissions(d, fs::perms::all);
        writeBytes(dir / "logo.bmp", bmptest::bmp24(2, 1, {0x0080FF, 0xFF0000}));
        input = dir / "x.bmp";
        GetParam().make(input);
    }

    // The window's door, after a good picture was captured, converted and written.
    std::string throughTheWindow() const {
        std::ostringstream failures;
        FakeMainView view;
        view.folder = (dir / "program").string();
        auto form = formAfterOneRun(view, (dir / "logo.bmp").string());
        const std::string hexBefore = proctest::slurp(dir / "program" / "logo.hex");
        const auto texts = view.texts;
        const MainState before = form->state();
        view.messages.clear();
        form->setFitLarger(GetParam().fit);
        [[maybe_unused]] const std::size_t bound = kMemoryBound; // read only where memory is counted

#ifdef QUORVANE_COUNTS_MEMORY
        peakBytes = heldBytes.load();
        const std::size_t base = heldBytes;
#endif
        view.nextFile = input.string();
        form->Command1_Click();
#ifdef QUORVANE_COUNTS_MEMORY
        if (peakBytes - base > bound) failures << "used " << (peakBytes - base) << " bytes; ";
        // The decoders' libraries allocate with malloc: the process's peak counts those too.
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        if (static_cast<std::size_t>(usage.ru_maxrss) * 1024 > bound) failures << "peak of " << usage.ru_maxrss << " KiB; ";
#endif
        const std::string reason = GetParam().reason;
        if (view.messages.size() != 1) {
            failures << view.messages.size() << " messages; ";
        } else {
            const auto& message = view.messages[0];
            if (message.icon != MessageIcon::Error) failures << "no error icon; ";
            if (message.text.find(reason) == std::string::npos) failures << "message \"" << message.text << "\" lacks the reason; ";
            const bool tooLarge = reason == std::string("Image dimensions too large.");
            if (!tooLarge && message.text.find(input.string()) == std::string::npos) failures << "message lacks the file; ";
            if (tooLarge && message.text != reason) failures << "too-large message is not exact; ";
        }
        const MainState& after = form->state();
        if (after.imagePath != before.imagePath || after.componentCount != before.componentCount ||
            after.outputCount != before.outputCount || after.componentStore != before.componentStore ||
            after.fileValues != before.fileValues) {
            failures << "state changed; ";
        }
        if (view.texts != texts) failures << "texts changed; ";
        view.messages.clear();
        form->Command3_Click();
        if (proctest::slurp(dir / "program" / "logo.hex") != hexBefore) failures << "the raw file changed; ";
        return failures.str();
    }

    // The command line's door, with an existing output that must survive.
    std::string throughTheCommandLine() const {
        std::ostringstream failures;
        const fs::path existing = dir / "program" / "keep.c";
        { std::ofstream(existing) << "previous"; }
        std::vector<std::string> args = {QUORVANE_CLI_PATH, "code", "--output", existing.string(), input.string()};
        if (GetParam().fit) args.insert(args.begin() + 2, "--fit");
        const auto result = proctest::run(args);
        if (result.status != 1) failures << "exit status " << result.status << "; ";
        if (result.err.find(GetParam().reason) == std::string::npos) failures << "stderr \"" << result.err << "\" lacks the reason; ";
        if (result.err.find(input.string()) == std::string::npos) failures << "stderr lacks the file; ";
        if (proctest::slurp(existing) != "previous") failures << "the existing output changed; ";
#ifdef QUORVANE_COUNTS_MEMORY
        rusage usage{};
        ::getrusage(RUSAGE_CHILDREN, &usage);
        const std::size_t bound = kMemoryBound;
        if (static_cast<std::size_t>(usage.ru_maxrss) * 1024 > bound) failures << "the program's peak was " << usage.ru_maxrss << " KiB; ";
#endif
        return failures.str();
    }

    tempdir::TempDir temp{std::string("bad-") + GetParam().name};
    const fs::path& dir = temp.path();
    fs::path input;
};

} // namespace

TEST_P(HostileFile, IsRefusedThroughTheWindow) {
    EXPECT_EQ(childtest::runInChild([this] { return throughTheWindow(); }, GetParam().unreadableByUsers), "");
}

TEST_P(HostileFile, IsRefusedByTheCommandLine) {
    EXPECT_EQ(childtest::runInChild([this] { return throughTheCommandLine(); }, GetParam().unreadableByUsers), "");
}

INSTANTIATE_TEST_SUITE_P(BadInputs, HostileFile, ::testing::ValuesIn(badInputs),
                         [](const ::testing::TestParamInfo<BadInput>& param) { return std::string(param.param.name); });
