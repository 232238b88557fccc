#pragma once
// Entry points shared by the libFuzzer binaries and the replay test that runs every kept input.
// Each one traps on a broken invariant, so a fuzzer reports it like a crash.

#include <cstddef>
#include <cstdint>

namespace quorvane::fuzz {

// Picture loading, capture, and the whole code generation at every depth.
void pictureInput(const std::uint8_t* data, std::size_t size);

// The colour conversion with arbitrary entry texts, typed or picked.
void colorInput(const std::uint8_t* data, std::size_t size);

// A small picture stored in every layout the decoder reads (palette, mono, rle, lz4), read back whole, then
// damaged as the input says and read again: never outside the array or the buffer.
void storedInput(const std::uint8_t* data, std::size_t size);

// Any bytes played as a pack through the shipped decoder: never outside the pack or the buffer, and
// every part no larger than its rectangle's pixels.
void packInput(const std::uint8_t* data, std::size_t size);

// A line of text (the input's first byte says how many bytes after it are the text) drawn with the rest
// as a font through the shipped decoder: never outside the font or the buffer, never more than the box.
void fontInput(const std::uint8_t* data, std::size_t size);

} // namespace quorvane::fuzz
