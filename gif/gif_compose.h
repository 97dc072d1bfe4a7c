// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The composed picture of an animated GIF: frames drawn one after another onto it and
// disposed of by their disposal methods. Plain pixel work, standard library only; the
// animated control times the frames and paints the result.

#include "gif/gif_decoder.h"

namespace marloven {

class GifComposition {
  public:
    // The picture's size, imageWidth x imageHeight of the file (0 x 0 before Start).
    int width = 0;
    int height = 0;

    // Starts a new composition for the decoded file: black and wholly transparent.
    // Only the rectangle the frames cover is held in memory; the rest of the picture
    // never changes. One larger than the decoder's maxBytes allows is not held.
    void Start(const GifDecoder& gif);
    // Draws frame number n (from 1): its opaque pixels replace the composed ones and
    // become opaque; its transparent ones leave the composition as it was. A frame
    // that restores to previous first saves what lies beneath it. Numbers out of range
    // are ignored.
    void DrawFrame(const GifDecoder& gif, int n);
    // Applies frame n's disposal: 2 makes its area transparent (black beneath), 3 puts
    // back what it saved when it was last drawn (if it was the last frame to save), 0
    // and 1 leave it. Numbers out of range are ignored.
    void DisposeFrame(const GifDecoder& gif, int n);

    // The held rectangle, in premultiplied 0xAARRGGBB pixels: 0xffRRGGBB where opaque,
    // 0 where transparent. Empty when no frame covers anything.
    int HeldLeft() const { return held_.left; }
    int HeldTop() const { return held_.top; }
    int HeldWidth() const { return held_.width; }
    int HeldHeight() const { return held_.height; }
    const std::uint32_t* HeldPixels() const { return pixels_.data(); }

  private:
    struct Area {
        int left, top, width, height;
    };
    // The frame's area within the held rectangle's coordinates, cut to it.
    Area Clip(const GifFrame& frame) const;

    Area held_{0, 0, 0, 0};
    std::vector<std::uint32_t> pixels_;
    // What the last frame that restores to previous found beneath it, and its number.
    std::vector<std::uint32_t> saved_;
    int savedFrame_ = 0;
};

} // namespace marloven
