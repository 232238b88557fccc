#pragma once

#include <string>
#include <string_view>

namespace quorvane::codegen {

// The image's name from the path it was opened from: the last piece of the path, split at "/" and at "\",
// less its extension when that is .bmp, .png, .jpg, .jpeg, .gif, .webp or .apng in any case ("photo.jpeg" gives
// "photo"), and otherwise less its last four characters. A last piece of fewer than four characters
// has no extension to drop and is kept whole, so "/img/ab" gives "ab" and "/img/" gives "".
std::string imageNameFromPath(std::string_view path);

// The image name made fit to stand as a C identifier: every character that cannot stand in one becomes
// "_", and a name that is empty, starts with a digit, or is a C keyword (or the PIC compiler's "rom")
// gets a leading "_". "my.photo" gives "my_photo", "1st" gives "_1st".
std::string cIdentifier(std::string_view name);

// An identifier as macros and enumerators spell it: "logo_2" gives "LOGO_2".
std::string upperCase(std::string_view text);

} // namespace quorvane::codegen
