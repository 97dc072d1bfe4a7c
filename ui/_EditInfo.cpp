#include "ui/_EditInfo.h"

namespace marloven {

TEditInfo::TEditInfo(QWidget* parent) : QDialog(parent) { setWindowTitle("Edit Entry"); }

} // namespace marloven
