#include "ui/_Dial.h"

namespace marloven {

TDial::TDial(QWidget* parent) : QDialog(parent) { setWindowTitle("Pick Opponent"); }

} // namespace marloven
