// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

class QWidget;

namespace marloven {

// Calls handler whenever the player clicks into widget with the mouse (the button
// released over it), for controls such as edit boxes that have no click signal.
void OnClick(QWidget* widget, std::function<void()> handler);

} // namespace marloven
