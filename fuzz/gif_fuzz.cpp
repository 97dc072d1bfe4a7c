// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the GIF decoder and composes every frame it keeps, as the
// animated control would.

#include "gif/gif_compose.h"
#include "gif/gif_decoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    marloven::GifDecoder gif;
    // Pictures of many megapixels cost time, not coverage.
    gif.maxBytes = 1 << 20;
    if (!gif.DecodeGif(std::span<const std::uint8_t>(data, size))) {
        return 0;
    }
    marloven::GifComposition composition;
    composition.Start(gif);
    for (int n = 1; n <= gif.FrameCount(); ++n) {
        composition.DisposeFrame(gif, n - 1);
        composition.DrawFrame(gif, n);
    }
    return 0;
}
