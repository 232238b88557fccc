// How close each dithering mode brings the panel to the picture, on images made here: the PSNR between
// the original and what the display shows, after both are blurred with a 5 x 5 box (a stand-in for
// viewing the panel from a little way off), and without the blur. Exits 1 when a mode falls short of
// its goal, so `make bench` notices a regression; --markdown prints the README's table,
// --gradient FILE.bmp writes the gradient for the README's pictures.
#include "../tests/support/bmpwriter.h"
#include "codegen/display.h"
#include "codegen/imagecode.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace quorvane::codegen;

namespace {

constexpr int kSide = 132;

struct TestImage {
    const char* name;
    std::vector<std::int32_t> components; // 132 x 132, red, green, blue per pixel
};

TestImage makeImage(const char* name,
                    const std::function<std::array<double, 3>(double x, double y)>& colour) {
    TestImage image{name, {}};
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            for (double c : colour(x / double(kSide - 1), y / double(kSide - 1))) {
                image.components.push_back(
                    static_cast<std::int32_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255)));
            }
        }
    }
    return image;
}

std::vector<TestImage> testImages() {
    return {
        makeImage("two-axis gradient",
                  [](double x, double y) {
                      return std::array{x, y, 1 - (x + y) / 2};
                  }),
        makeImage("radial gradient",
                  [](double x, double y) {
                      const double r = std::min(1.0, std::hypot(x - 0.5, y - 0.5) / 0.7071);
                      return std::array{1 - r, 0.3 + 0.5 * r, 0.8 * r * r};
                  }),
        makeImage("photo-like texture",
                  [](double x, double y) {
                      const auto wave = [&](double a, double b, double phase) {
                          return 0.5 + 0.25 * std::sin(a * x + b * y + phase) +
                                 0.2 * std::sin(b * x - a * y + 2 * phase);
                      };
                      return std::array{wave(5.1, 2.3, 0.4), wave(3.7, 4.9, 1.9), wave(2.2, 6.1, 3.1)};
                  }),
    };
}

// Each channel averaged over the 5 x 5 square around a pixel, the square cut at the picture's edges.
std::vector<double> blurred(const std::vector<double>& rgb) {
    std::vector<double> out(rgb.size());
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            for (int ch = 0; ch < 3; ++ch) {
                double sum = 0;
                int count = 0;
                for (int dy = -2; dy <= 2; ++dy) {
                    for (int dx = -2; dx <= 2; ++dx) {
                        const int sx = x + dx, sy = y + dy;
                        if (sx < 0 || sy < 0 || sx >= kSide || sy >= kSide) continue;
                        sum += rgb[static_cast<std::size_t>(3 * (sy * kSide + sx) + ch)];
                        ++count;
                    }
                }
                out[static_cast<std::size_t>(3 * (y * kSide + x) + ch)] = sum / count;
            }
        }
    }
    return out;
}

double psnr(const std::vector<double>& a, const std::vector<double>& b) {
    double squares = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        squares += (a[i] - b[i]) * (a[i] - b[i]);
    const double mse = squares / static_cast<double>(a.size());
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

struct Score {
    double blurred = 0, plain = 0; // averaged over the images
};

// What the panel shows: the raw file read back, each part expanded to its level.
Score score(const std::vector<TestImage>& images, Depth depth, Dither dither) {
    Score total;
    for (const TestImage& image : images) {
        const auto code = makeImageCode(image.components, {kSide, kSide},
                                        {.depth = depth, .arrayName = "test", .dither = dither});
        const auto shown = displayedPicture(code.rawFile, {.depth = depth});
        const std::vector<double> original(image.components.begin(), image.components.end());
        const std::vector<double> displayed(shown->rgb.begin(), shown->rgb.end());
        total.blurred += psnr(blurred(original), blurred(displayed));
        total.plain += psnr(original, displayed);
    }
    total.blurred /= static_cast<double>(images.size());
    total.plain /= static_cast<double>(images.size());
    return total;
}

struct Goal {
    Depth depth;
    const char* depthName;
    double fsGain, orderedGain; // dB over none, blurred
};

constexpr Goal kGoals[] = {
    {Depth::Bits8, "8 Bit", 14, 10},
    {Depth::Bits12, "12 Bit", 12, 8},
    {Depth::Bits16, "16 Bit", 8, 6},
};
constexpr double kPlainLossAllowed = 3.5;

} // namespace

int main(int argc, char** argv) {
    bool markdown = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--markdown") == 0) {
            markdown = true;
        } else if (std::strcmp(argv[i], "--gradient") == 0 && i + 1 < argc) {
            const TestImage gradient = testImages().front();
            std::vector<std::uint32_t> pixels;
            for (std::size_t p = 0; p < gradient.components.size(); p += 3) {
                pixels.push_back(
                    bmptest::colorValue({static_cast<std::uint8_t>(gradient.components[p]),
                                         static_cast<std::uint8_t>(gradient.components[p + 1]),
                                         static_cast<std::uint8_t>(gradient.components[p + 2])}));
            }
            bmptest::writeFile(argv[++i], bmptest::bmp24(kSide, kSide, pixels));
            return 0;
        } else {
            std::fprintf(stderr, "usage: %s [--markdown] [--gradient FILE.bmp]\n", argv[0]);
            return 2;
        }
    }

    const auto images = testImages();
    bool met = true;
    if (markdown) {
        std::printf("| depth | none | ordered | fs | ordered gain | fs gain |\n|---|---|---|---|---|---|\n");
    } else {
        std::printf("PSNR in dB, averaged over %zu images, after a 5 x 5 box blur (plain PSNR in brackets)\n",
                    images.size());
    }
    for (const Goal& goal : kGoals) {
        const Score none = score(images, goal.depth, Dither::None);
        const Score ordered = score(images, goal.depth, Dither::Ordered);
        const Score fs = score(images, goal.depth, Dither::ErrorDiffusion);
        const double orderedGain = ordered.blurred - none.blurred, fsGain = fs.blurred - none.blurred;
        const bool ok = orderedGain >= goal.orderedGain && fsGain >= goal.fsGain &&
                        ordered.plain >= none.plain - kPlainLossAllowed &&
                        fs.plain >= none.plain - kPlainLossAllowed;
        met = met && ok;
        if (markdown) {
            std::printf("| %s | %.1f (%.1f) | %.1f (%.1f) | %.1f (%.1f) | +%.1f | +%.1f |\n", goal.depthName,
                        none.blurred, none.plain, ordered.blurred, ordered.plain, fs.blurred, fs.plain,
                        orderedGain, fsGain);
        } else {
            std::printf(
                "%-7s none %5.1f (%5.1f)  ordered %5.1f (%5.1f) %+5.1f  fs %5.1f (%5.1f) %+5.1f  %s\n",
                goal.depthName, none.blurred, none.plain, ordered.blurred, ordered.plain, orderedGain,
                fs.blurred, fs.plain, fsGain, ok ? "goals met" : "BELOW GOAL");
        }
    }
    return met ? 0 : 1;
}
