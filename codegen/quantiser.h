#pragma once
// libimagequant, loaded the first time a palette is chosen rather than when a program starts: it brings
// OpenMP's runtime, whose start costs every run of quorvane-cli more than half a millisecond, though few
// runs choose a palette.

#include <libimagequant.h>

namespace quorvane::codegen {

#define QUORVANE_QUANTISER_FUNCTIONS(X)                                                                      \
    X(liq_attr_create) X(liq_attr_destroy) X(liq_get_palette) X(liq_histogram_add_colors)                     \
    X(liq_histogram_add_fixed_color) X(liq_histogram_create) X(liq_histogram_destroy)                         \
    X(liq_histogram_quantize) X(liq_image_create_rgba) X(liq_image_destroy) X(liq_image_quantize)             \
    X(liq_result_destroy) X(liq_set_dithering_level) X(liq_set_max_colors) X(liq_set_speed)                   \
    X(liq_write_remapped_image)

// The library's functions, named as it names them.
struct Quantiser {
#define QUORVANE_QUANTISER_MEMBER(name) decltype(&::name) name = nullptr;
    QUORVANE_QUANTISER_FUNCTIONS(QUORVANE_QUANTISER_MEMBER)
#undef QUORVANE_QUANTISER_MEMBER
};

// Loaded once, on the first call, from any thread. Throws std::runtime_error, naming the library and
// why, when it cannot be loaded or lacks a function.
const Quantiser& quantiser();

} // namespace quorvane::codegen
