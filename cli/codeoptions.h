#pragma once
// What parsing code's options and pack's shares: pack takes every option of code that describes the
// panel, its colours and the text.

#include "cli/options.h"

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace quorvane::cli {

// A plain whole number from low to high: no sign, no blank, no fraction, no exponent.
std::optional<int> parseWhole(std::string_view text, int low, int high);

// One option of code's at args[i], moving i past its value; `given` collects the value options seen.
std::optional<UsageError> takeCodeOption(CodeCommand& code, std::span<const std::string_view> args, std::size_t& i,
                                         std::vector<std::string_view>& given);

// Once all are read: a preset's values for what was not given, and what cannot go together.
std::optional<UsageError> settleCodeOptions(CodeCommand& code, const std::vector<std::string_view>& given);

// A byte order asked of a depth without 16-bit words.
std::optional<UsageError> byteOrderRefusal(const CodeCommand& code, const std::vector<std::string_view>& given);

Command parsePack(std::span<const std::string_view> args);
Command parseFont(std::span<const std::string_view> args);

} // namespace quorvane::cli
