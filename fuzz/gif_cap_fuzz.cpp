// SPDX-License-Identifier: GPL-3.0-or-later
// Loads arbitrary bytes as the windows load the star: the main window and the About box
// each decode it with the real limits, both alive at once, so that the limit of the
// whole process is reached for real (gif_fuzz keeps each picture small for speed).
// The pictures together must never pass it, and what each keeps must compose.

#include "gif/gif_compose.h"
#include "gif/gif_decoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    marloven::GifDecoder mainWindow;
    marloven::GifDecoder aboutBox;
    if (!mainWindow.DecodeGif(bytes) || !aboutBox.DecodeGif(bytes)) {
        return 0;
    }
    if (marloven::GifProcessBytes() > marloven::kGifProcessMaxBytes ||
        (mainWindow.FrameCount() > aboutBox.FrameCount() && !aboutBox.limitReached)) {
        std::abort();
    }
    // The first frames as the control first shows them.
    for (const marloven::GifDecoder* gif : {&mainWindow, &aboutBox}) {
        marloven::GifComposition composition;
        composition.Start(*gif);
        for (int n = 1; n <= gif->FrameCount() && n <= 2; ++n) {
            composition.DisposeFrame(*gif, n - 1);
            composition.DrawFrame(*gif, n);
        }
    }
    return 0;
}
