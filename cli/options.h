#pragma once
// The command line of quorvane-cli, parsed into plain data.

#include "codegen/arraytext.h"
#include "codegen/dither.h"
#include "codegen/panel.h"
#include "codegen/reduce.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace quorvane::cli {

struct CodeCommand {
    codegen::Depth depth = codegen::Depth::Bits8;
    codegen::Target target = codegen::Target::Pic;
    codegen::Dither dither = codegen::Dither::None;
    bool fit = false;                    // scale a picture larger than the panel down to fit it
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

struct ColorCommand {
    int red = 0, green = 0, blue = 0;
};

struct HelpCommand {};
struct VersionCommand {};

struct UsageError {
    std::string message;
};

using Command = std::variant<CodeCommand, ColorCommand, HelpCommand, VersionCommand, UsageError>;

Command parseCommandLine(std::span<const std::string_view> args);

std::string_view usageText();

} // namespace quorvane::cli
