#include "ui/modem_list.h"

namespace marloven {

TSelectModem::TSelectModem(QWidget* parent) : QDialog(parent) { setWindowTitle("Select Modem"); }

} // namespace marloven
