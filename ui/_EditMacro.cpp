#include "ui/_EditMacro.h"

namespace marloven {

TEditMacro::TEditMacro(QWidget* parent) : QDialog(parent) { setWindowTitle("Edit Macro"); }

} // namespace marloven
