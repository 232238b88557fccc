#pragma once
// The C header beside the array source, for firmware that wants the picture's size by name.

#include "codegen/arraytext.h"
#include "codegen/panel.h"
#include "codegen/storage.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvane::codegen {

// An include guard made from headerName, the include the declaration needs, #define NAME_WIDTH,
// NAME_HEIGHT and NAME_SIZE (NAME the array's identifier in upper case; the size as the panel receives
// the picture, and the array's declared count), and the array declared extern with that count. Lines end
// in "\n". Stored otherwise than plainly, it also gives NAME_BITS (with a palette or mono) and
// NAME_PALETTE_SIZE, includes "quorvane_decode.h" and declares NAME_image for it.
std::string headerText(std::string_view headerName, std::string_view arrayName, Target target, PictureSize size,
                       std::size_t declaredCount, const Storage& storage = {});

} // namespace quorvane::codegen
