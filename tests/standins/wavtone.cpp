// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a short .WAV file of plain tones, one after the other:
//   wavtone OUT.WAV NOTE-MS FREQUENCY-HZ [FREQUENCY-HZ ...]
// 22050 Hz, 16-bit mono PCM; each note fades in and out so it does not click.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kRate = 22050;
constexpr double kVolume = 0.4;
constexpr double kFadeSeconds = 0.01;

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xff);
    }
}

std::vector<std::int16_t> Samples(const std::vector<double>& frequencies, double noteSeconds) {
    const auto perNote = static_cast<std::size_t>(noteSeconds * kRate);
    std::vector<std::int16_t> samples;
    for (const double frequency : frequencies) {
        for (std::size_t i = 0; i < perNote; ++i) {
            const double t = double(i) / kRate;
            const double edge = std::min(t, noteSeconds - t) / kFadeSeconds;
            const double envelope = std::min(1.0, std::max(0.0, edge));
            const double wave = std::sin(2 * std::numbers::pi * frequency * t);
            samples.push_back(static_cast<std::int16_t>(32767 * kVolume * envelope * wave));
        }
    }
    return samples;
}

std::string WaveFile(const std::vector<std::int16_t>& samples) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    PutLittleEndian(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    PutLittleEndian(out, 16, 4); // format chunk size
    PutLittleEndian(out, 1, 2);  // PCM
    PutLittleEndian(out, 1, 2);  // mono
    PutLittleEndian(out, kRate, 4);
    PutLittleEndian(out, kRate * 2, 4); // bytes per second
    PutLittleEndian(out, 2, 2);         // bytes per frame
    PutLittleEndian(out, 16, 2);        // bits per sample
    out += "data";
    PutLittleEndian(out, dataBytes, 4);
    for (const auto sample : samples) {
        PutLittleEndian(out, static_cast<std::uint16_t>(sample), 2);
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("Usage: wavtone OUT.WAV NOTE-MS FREQUENCY-HZ [FREQUENCY-HZ ...]\n", stderr);
        return 2;
    }
    const double noteSeconds = std::atof(argv[2]) / 1000.0;
    std::vector<double> frequencies;
    for (int i = 3; i < argc; ++i) {
        frequencies.push_back(std::atof(argv[i]));
    }
    if (noteSeconds <= 0 || noteSeconds > 10) {
        std::fputs("wavtone: NOTE-MS must be between 1 and 10000\n", stderr);
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << WaveFile(Samples(frequencies, noteSeconds));
    if (!out.flush()) {
        std::fprintf(stderr, "wavtone: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
