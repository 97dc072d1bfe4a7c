#pragma once

// The composed picture of an animated GIF: frames drawn one after another onto it and
// disposed of by their disposal methods. Plain pixel work, standard library only; the
// animated control times the frames and paints the result.

#include "widgets/GIFDecoder.h"

namespace marloven {

class GifComposition {
  public:
    // The composed frame in display colours, ImageWidth x ImageHeight.
    GifPicture Composition;
    // White where the composed frame is transparent. Kept for every file, so the
    // picture's untouched areas are known even when no frame is transparent.
    GifMask CompositionMask;

    // Starts a new composition for the decoded file: black and wholly transparent.
    // A picture larger than the decoder's MaxPixels stays empty.
    void Start(const GifDecoder& gif);
    // Draws frame number n (from 1): its opaque pixels replace the composed ones and
    // become opaque; its transparent ones leave the composition as it was. A frame
    // that restores to previous first saves what lies beneath it. Numbers out of range
    // are ignored.
    void DrawFrame(GifDecoder& gif, int n);
    // Applies frame n's disposal: 2 makes its area transparent (black beneath), 3 puts
    // back what it saved, 0 and 1 leave it. Numbers out of range are ignored.
    void DisposeFrame(const GifDecoder& gif, int n);

  private:
    struct Area {
        int left, top, width, height;
    };
    Area Clip(const TFrame& frame) const;
};

} // namespace marloven
