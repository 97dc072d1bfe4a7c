#include "ui/_NetNoPlayers.h"

namespace marloven {

TNetNoPlayers::TNetNoPlayers(QWidget* parent) : QDialog(parent) { setWindowTitle("Number of Players"); }

} // namespace marloven
