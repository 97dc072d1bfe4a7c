// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "gif/gif_decoder.h"

namespace marloven {

// A frame as a picture in display colours (transparent pixels black) and its mask, for
// the tests and gifdump to look at; the launcher draws from the rasters themselves.
GifPicture FramePicture(const GifFrame& frame);
GifMask FrameMask(const GifFrame& frame);

} // namespace marloven
