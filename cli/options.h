#pragma once
// The command line of quorvane-cli, parsed into plain data.

#include "capture/fit.h"
#include "codegen/arraytext.h"
#include "codegen/displays.h"
#include "codegen/dither.h"
#include "codegen/panel.h"
#include "codegen/rawfile.h"
#include "codegen/reduce.h"
#include "codegen/storage.h"
#include "fonts/build.h"
#include "packs/inputs.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quorvane::cli {

// The options as they apply: a --display preset's values where no option of the user's overrides them.
struct CodeCommand {
    codegen::Depth depth = codegen::Depth::Bits8;
    codegen::Target target = codegen::Target::Pic;
    codegen::Dither dither = codegen::Dither::None;
    bool fit = false;                    // scale a picture larger than the panel down to fit it
    capture::FitMode fitMode = capture::FitMode::Contain;
    codegen::PictureSize panelSize = codegen::kDefaultPanel; // as the panel receives the picture
    codegen::SizeHeader sizeHeader = codegen::SizeHeader::Bytes8;
    codegen::Storage storage;            // palette, mono and its layout, compression
    std::optional<codegen::DisplayPreset> display;
    std::uint32_t background = 0xFFFFFF; // 0x00BBGGRR under transparent pixels
    codegen::PanelOptions panel;
    codegen::ByteOrder byteOrder = codegen::ByteOrder::Big;
    int columns = 0;
    codegen::Radix radix = codegen::Radix::Decimal;
    std::optional<std::string> name;
    std::optional<std::string> output;
    std::optional<std::string> hex;
    std::optional<std::string> preview;
    std::optional<std::string> header;
    std::string image;
};

// Many pictures into one pack: code's options describe the panel and the text; --preview is a folder.
struct PackCommand {
    CodeCommand code;
    std::vector<packs::PackInput> inputs;
    bool sharedPalette = false;
    int jobs = 0; // 0: the machine's cores
    bool progress = false;
    bool quiet = false;
    std::optional<std::string> depfile; // for a build system: the outputs and every file and folder read
};

// A font into an array: code's options describe the panel's pixels and the text; --preview draws --text.
struct FontCommand {
    CodeCommand code;
    fonts::FontRequest request;       // the characters are gathered from what follows when run
    bool bppGiven = false;
    std::vector<fonts::CodeRange> ranges;
    std::vector<std::string> chars;     // --chars, each as given (UTF-8)
    std::vector<std::string> charsFrom; // --chars-from files
    bool strict = false;
    std::optional<std::string> text;    // --text: the line --preview draws
    std::optional<std::string> depfile; // for a build system: the outputs and every file read
};

struct ColorCommand {
    int red = 0, green = 0, blue = 0;
};

struct DisplaysCommand {}; // the presets, one line each

struct DecoderCommand { // writes quorvane_decode.h to this path
    std::string path;
};

struct HelpCommand {};
struct VersionCommand {};

struct UsageError {
    std::string message;
};

using Command = std::variant<CodeCommand, PackCommand, FontCommand, ColorCommand, DisplaysCommand, DecoderCommand, HelpCommand, VersionCommand,
                             UsageError>;

Command parseCommandLine(std::span<const std::string_view> args);

std::string_view usageText();

} // namespace quorvane::cli
