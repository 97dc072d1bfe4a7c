// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the grey stone wall that lies behind every window of the launcher and writes
// it as an 8-bit BMP with a 256-entry colour table:
//
//     make_stone [--seed N] OUTPUT.bmp
//
// The same seed always gives the same bytes, so the committed picture can be checked
// against this program.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kShades = 26; // grey levels the wall is quantised to
constexpr std::uint32_t kDefaultSeed = 1997;

// A small generator of our own: std:: distributions differ between libraries, and the
// picture must come out the same everywhere.
class Random {
  public:
    explicit Random(std::uint32_t seed) : state_(seed * 2654435761u + 0x9E3779B9u) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    double Unit() { return (Next() >> 8) / double(1u << 24); }
    double Between(double low, double high) { return low + (high - low) * Unit(); }

  private:
    std::uint32_t state_;
};

std::uint32_t Hash(std::uint32_t seed, int x, int y) {
    std::uint32_t h = seed ^ (std::uint32_t(x) * 374761393u) ^ (std::uint32_t(y) * 668265263u);
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

double HashUnit(std::uint32_t seed, int x, int y) {
    return (Hash(seed, x, y) >> 8) / double(1u << 24);
}

// Smooth value noise in [0, 1] with features about `cell` pixels wide.
double ValueNoise(std::uint32_t seed, double x, double y, double cell) {
    const double fx = x / cell, fy = y / cell;
    const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
    const double tx = fx - ix, ty = fy - iy;
    const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    const double top = HashUnit(seed, ix, iy) * (1 - sx) + HashUnit(seed, ix + 1, iy) * sx;
    const double bottom =
        HashUnit(seed, ix, iy + 1) * (1 - sx) + HashUnit(seed, ix + 1, iy + 1) * sx;
    return top * (1 - sy) + bottom * sy;
}

struct Stone {
    double x, y; // centre
    double tone; // base brightness
};

// Stones are laid in courses of uneven height, each stone of uneven length, then
// shaken a little so that no joint runs straight.
std::vector<Stone> LayStones(Random& random) {
    std::vector<Stone> stones;
    double top = -20;
    while (top < kHeight + 20) {
        const double height = random.Between(46, 74);
        double left = -random.Between(0, 60);
        while (left < kWidth + 40) {
            const double length = random.Between(58, 120);
            stones.push_back({left + length / 2 + random.Between(-6, 6),
                              top + height / 2 + random.Between(-8, 8),
                              random.Between(0.36, 0.74)});
            left += length;
        }
        top += height;
    }
    return stones;
}

struct Nearest {
    const Stone* first;
    double edgeDistance;       // distance to the joint with the next stone
    double towardsX, towardsY; // unit vector from the stone's centre to the point
};

Nearest FindStone(const std::vector<Stone>& stones, double x, double y) {
    const Stone* first = nullptr;
    const Stone* second = nullptr;
    double d1 = 1e18, d2 = 1e18;
    for (const Stone& stone : stones) {
        // Courses are wider than tall: squash the distance so stones come out oblong.
        const double dx = (x - stone.x) * 0.62, dy = y - stone.y;
        const double d = dx * dx + dy * dy;
        if (d < d1) {
            second = first, d2 = d1;
            first = &stone, d1 = d;
        } else if (d < d2) {
            second = &stone, d2 = d;
        }
    }
    const double gx = (second->x - first->x) * 0.62, gy = second->y - first->y;
    const double gap = std::sqrt(gx * gx + gy * gy);
    const double vx = (x - first->x) * 0.62, vy = y - first->y;
    const double length = std::max(1e-9, std::sqrt(vx * vx + vy * vy));
    return {first, (d2 - d1) / (2 * gap), vx / length, vy / length};
}

// Brightness in [0, 1] of one pixel of the wall.
double Shade(const std::vector<Stone>& stones, std::uint32_t seed, int px, int py) {
    // Warping the lookup point makes the joints wander like rough-cut stone.
    const double x = px + (ValueNoise(seed + 1, px, py, 23) - 0.5) * 14;
    const double y = py + (ValueNoise(seed + 2, px, py, 23) - 0.5) * 14;
    const Nearest near = FindStone(stones, x, y);
    const double grain = HashUnit(seed + 3, px, py) - 0.5;
    const double mortarWidth = 1.6 + ValueNoise(seed + 4, px, py, 9) * 1.6;
    if (near.edgeDistance < mortarWidth) {
        return 0.05 + 0.12 * ValueNoise(seed + 5, px, py, 3) + 0.06 * grain;
    }
    // Light falls from the upper left: the upper-left rim of a stone is bright, the
    // lower-right rim dark, fading towards the middle.
    const double rim = std::max(0.0, 1 - (near.edgeDistance - mortarWidth) / 7);
    const double facing = -(near.towardsX + near.towardsY) * 0.7071;
    const double mottle = ValueNoise(seed + 6, px, py, 17) - 0.5;
    return near.first->tone + 0.26 * rim * facing + 0.16 * mottle + 0.07 * grain;
}

struct Rgb {
    std::uint8_t r, g, b;
};

std::array<Rgb, 256> Palette() {
    std::array<Rgb, 256> palette{};
    for (int i = 0; i < kShades; ++i) {
        const int v = 22 + i * 6;
        // A faint cool cast keeps the grey from looking like flat paper.
        palette[i] = {std::uint8_t(v), std::uint8_t(v), std::uint8_t(std::min(255, v + 6))};
    }
    return palette;
}

std::vector<std::uint8_t> DrawWall(std::uint32_t seed) {
    Random random(seed);
    const std::vector<Stone> stones = LayStones(random);
    std::vector<std::uint8_t> pixels(std::size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double shade = std::clamp(Shade(stones, seed, x, y), 0.0, 1.0);
            pixels[std::size_t(y) * kWidth + x] = std::uint8_t(std::lround(shade * (kShades - 1)));
        }
    }
    return pixels;
}

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// File header, 40-byte information header, 256-entry colour table, bottom-up rows.
// 640 bytes a row needs no padding.
std::vector<std::uint8_t> EncodeBmp(const std::vector<std::uint8_t>& pixels) {
    const std::uint32_t headers = 14 + 40 + 256 * 4;
    const std::uint32_t size = headers + std::uint32_t(pixels.size());
    std::vector<std::uint8_t> out;
    out.reserve(size);
    out.push_back('B');
    out.push_back('M');
    Put32(out, size);
    Put32(out, 0);
    Put32(out, headers);
    Put32(out, 40);
    Put32(out, kWidth);
    Put32(out, kHeight);
    Put16(out, 1); // planes
    Put16(out, 8); // bits per pixel
    Put32(out, 0); // no compression
    Put32(out, std::uint32_t(pixels.size()));
    Put32(out, 2835); // 72 dots per inch
    Put32(out, 2835);
    Put32(out, 256); // colours in the table
    Put32(out, 0);
    for (const Rgb& colour : Palette()) {
        out.insert(out.end(), {colour.b, colour.g, colour.r, 0});
    }
    for (int y = kHeight - 1; y >= 0; --y) {
        const auto row = pixels.begin() + std::ptrdiff_t(y) * kWidth;
        out.insert(out.end(), row, row + kWidth);
    }
    return out;
}

int Usage() {
    std::cerr << "usage: make_stone [--seed N] OUTPUT.bmp\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::uint32_t seed = kDefaultSeed;
    std::string output;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seed" && i + 1 < argc) {
            try {
                seed = std::uint32_t(std::stoul(argv[++i]));
            } catch (const std::exception&) {
                return Usage();
            }
        } else if (output.empty() && !arg.starts_with("-")) {
            output = arg;
        } else {
            return Usage();
        }
    }
    if (output.empty()) {
        return Usage();
    }
    const std::vector<std::uint8_t> bmp = EncodeBmp(DrawWall(seed));
    std::ofstream file(output, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bmp.data()), std::streamsize(bmp.size()));
    file.close();
    if (!file) {
        std::cerr << "make_stone: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}
