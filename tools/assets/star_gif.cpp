// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/assets/star_gif.h"

#include "gif/gif_encoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

namespace marloven::star {

namespace {

// Palette indices.
enum : std::uint8_t {
    kClear = 0,
    kOutline,
    kDeepGold,
    kGold,
    kYellow,
    kPaleYellow,
    kCream,
    kWhite,
    kPaleBlue,
    kBlue,
};

const std::vector<GifColour> kPalette = {
    {0, 0, 0},       {74, 40, 8},     {176, 104, 16},  {222, 156, 32},  {246, 204, 64},
    {255, 236, 150}, {255, 250, 215}, {255, 255, 255}, {200, 225, 255}, {150, 190, 250},
};

// The star's centre in pixel units (pixel x covers x to x + 1) and its radii.
constexpr double kCentreX = 24.5;
constexpr double kCentreY = 22.0;
constexpr double kOuterRadius = 17.0;
constexpr double kInnerRadius = 7.4;
constexpr double kArmAngle = std::numbers::pi / 5; // from a tip to the next inner corner
// Light from the upper left, as on the window's stone.
constexpr double kLightAngle = -2.2;

// The glint's centre pixel: the middle of the star.
constexpr int kGlintX = 24;
constexpr int kGlintY = 21;

using Raster = std::vector<std::uint8_t>;

// The ten corners of the star's outline, tips and inner corners by turns, from the
// top tip clockwise.
std::array<std::array<double, 2>, 10> Outline() {
    std::array<std::array<double, 2>, 10> corners{};
    for (int i = 0; i < 10; ++i) {
        const double angle = -std::numbers::pi / 2 + i * kArmAngle;
        const double radius = i % 2 == 0 ? kOuterRadius : kInnerRadius;
        corners[i] = {kCentreX + radius * std::cos(angle), kCentreY + radius * std::sin(angle)};
    }
    return corners;
}

// Even-odd rule: a point is inside when a ray to its right crosses the outline an odd
// number of times.
bool Inside(double x, double y) {
    static const auto kCorners = Outline();
    bool inside = false;
    for (std::size_t i = 0, j = kCorners.size() - 1; i < kCorners.size(); j = i++) {
        const auto [xi, yi] = kCorners[i];
        const auto [xj, yj] = kCorners[j];
        if ((yi > y) != (yj > y) && x < xi + (y - yi) * (xj - xi) / (yj - yi)) {
            inside = !inside;
        }
    }
    return inside;
}

// Half of each arm faces the light and half turns away, as on a bevelled star.
std::uint8_t Facet(double x, double y) {
    const double dx = x - kCentreX, dy = y - kCentreY;
    if (std::hypot(dx, dy) < 2.2) {
        return kCream;
    }
    const double angle = std::atan2(dy, dx);
    // The facet lies between a tip and a corner; its outward direction is their middle.
    const double fromTop = angle + std::numbers::pi / 2;
    const double facet = std::floor(fromTop / kArmAngle);
    const double middle = (facet + 0.5) * kArmAngle - std::numbers::pi / 2;
    const double light = 0.5 + 0.5 * std::cos(middle - kLightAngle);
    if (light > 0.75) {
        return kPaleYellow;
    }
    if (light > 0.45) {
        return kYellow;
    }
    return light > 0.15 ? kGold : kDeepGold;
}

Raster DrawStar() {
    Raster inside(static_cast<std::size_t>(kWidth) * kHeight, 0);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            // Four by four samples; a pixel more than half covered belongs to the star.
            int covered = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    covered += Inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4);
                }
            }
            inside[y * kWidth + x] = covered >= 8;
        }
    }
    Raster pixels(static_cast<std::size_t>(kWidth) * kHeight, kClear);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (inside[y * kWidth + x]) {
                pixels[y * kWidth + x] = Facet(x + 0.5, y + 0.5);
                continue;
            }
            // A dark rim keeps the gold apart from the grey stone.
            for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, kHeight - 1); ++ny) {
                for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, kWidth - 1); ++nx) {
                    if (inside[ny * kWidth + nx]) {
                        pixels[y * kWidth + x] = kOutline;
                    }
                }
            }
        }
    }
    return pixels;
}

// How far a point lies from the star's outline, for the icon's dark rim.
double DistanceToOutline(double x, double y) {
    static const auto kCorners = Outline();
    double nearest = std::numeric_limits<double>::max();
    for (std::size_t i = 0, j = kCorners.size() - 1; i < kCorners.size(); j = i++) {
        const auto [ax, ay] = kCorners[j];
        const double dx = kCorners[i][0] - ax, dy = kCorners[i][1] - ay;
        const double along =
            std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        nearest = std::min(nearest, std::hypot(x - ax - along * dx, y - ay - along * dy));
    }
    return nearest;
}

// The palette entry at a point of the icon: a facet, the rim or nothing. The rim is
// one unit wide as on the windows, and never thinner than a pixel of the icon.
std::uint8_t IconColour(double x, double y, double rim) {
    if (Inside(x, y)) {
        return Facet(x, y);
    }
    return DistanceToOutline(x, y) <= rim ? kOutline : kClear;
}

struct Glint {
    int reach;    // length of the straight rays
    int diagonal; // length of the slanted rays
    int delay;    // hundredths of a second
};

// Grows to its brightest and fades again.
constexpr std::array<Glint, 6> kGlints = {{
    {3, 0, 6},
    {7, 2, 6},
    {12, 4, 7},
    {17, 6, 9},
    {11, 3, 7},
    {5, 0, 6},
}};

std::uint8_t RayColour(int distance, int reach) {
    if (distance * 3 <= reach) {
        return kWhite;
    }
    return distance * 3 <= reach * 2 ? kPaleBlue : kBlue;
}

// The glint within its own square around the centre, clipped to the picture.
GifImageBlock DrawGlint(const Glint& glint) {
    const int left = std::max(kGlintX - glint.reach, 0);
    const int top = std::max(kGlintY - glint.reach, 0);
    const int right = std::min(kGlintX + glint.reach, kWidth - 1);
    const int bottom = std::min(kGlintY + glint.reach, kHeight - 1);
    const int width = right - left + 1, height = bottom - top + 1;
    Raster pixels(static_cast<std::size_t>(width) * height, kClear);
    auto put = [&](int x, int y, std::uint8_t colour) {
        if (x >= left && x <= right && y >= top && y <= bottom) {
            pixels[(y - top) * width + (x - left)] = colour;
        }
    };
    for (int d = glint.reach; d >= 1; --d) {
        const std::uint8_t colour = RayColour(d, glint.reach);
        put(kGlintX - d, kGlintY, colour);
        put(kGlintX + d, kGlintY, colour);
        put(kGlintX, kGlintY - d, colour);
        put(kGlintX, kGlintY + d, colour);
    }
    for (int d = 1; d <= glint.diagonal; ++d) {
        const std::uint8_t colour = RayColour(d, glint.diagonal);
        for (int sx : {-1, 1}) {
            for (int sy : {-1, 1}) {
                put(kGlintX + sx * d, kGlintY + sy * d, colour);
            }
        }
    }
    // A bright core, wider while the glint is large.
    const int core = glint.reach >= 7 ? 1 : 0;
    for (int y = -core; y <= core; ++y) {
        for (int x = -core; x <= core; ++x) {
            put(kGlintX + x, kGlintY + y, kWhite);
        }
    }
    return MakeGifImage(left, top, width, height, std::move(pixels));
}

} // namespace

std::string StarGif(int loopCount) {
    GifWriter gif(kWidth, kHeight, kPalette);
    gif.Loop(loopCount);
    gif.Control({.disposal = 1, .delay = 180, .transparentIndex = kClear});
    gif.Image(MakeGifImage(0, 0, kWidth, kHeight, DrawStar()));
    for (const Glint& glint : kGlints) {
        // Restore to previous: the glint goes and the resting star is back.
        gif.Control({.disposal = 3, .delay = glint.delay, .transparentIndex = kClear});
        gif.Image(DrawGlint(glint));
    }
    gif.Trailer();
    return gif.Bytes();
}

std::vector<std::uint8_t> StarIcon(int side) {
    // A little room around the tips; the star's height, from its top tip down to the
    // two lower tips, is centred.
    constexpr double kSpan = 2 * kOuterRadius + 3;
    const double unit = kSpan / side; // star units per icon pixel
    const double left = kCentreX - kSpan / 2;
    const double top = kCentreY + kOuterRadius * (std::cos(kArmAngle) - 1) / 2 - kSpan / 2;
    const double rim = std::max(1.0, unit);
    // Four by four samples per pixel; their colours are averaged over the covered ones
    // and the coverage becomes the pixel's opacity.
    constexpr int kSamples = 4;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(side) * side * 4, 0);
    for (int py = 0; py < side; ++py) {
        for (int px = 0; px < side; ++px) {
            int red = 0, green = 0, blue = 0, covered = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const std::uint8_t colour =
                        IconColour(left + (px + (sx + 0.5) / kSamples) * unit,
                                   top + (py + (sy + 0.5) / kSamples) * unit, rim);
                    if (colour != kClear) {
                        red += kPalette[colour].r;
                        green += kPalette[colour].g;
                        blue += kPalette[colour].b;
                        ++covered;
                    }
                }
            }
            if (covered > 0) {
                std::uint8_t* pixel = &rgba[(static_cast<std::size_t>(py) * side + px) * 4];
                pixel[0] = static_cast<std::uint8_t>(red / covered);
                pixel[1] = static_cast<std::uint8_t>(green / covered);
                pixel[2] = static_cast<std::uint8_t>(blue / covered);
                pixel[3] = static_cast<std::uint8_t>(255 * covered / (kSamples * kSamples));
            }
        }
    }
    return rgba;
}

} // namespace marloven::star
