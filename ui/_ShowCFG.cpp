#include "ui/_ShowCFG.h"

namespace marloven {

TShowCFG::TShowCFG(QWidget* parent) : QDialog(parent) { setWindowTitle("Velkaran .CFG File"); }

} // namespace marloven
