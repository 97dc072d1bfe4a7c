#include "ui/_Main.h"

namespace marloven {

TMain::TMain(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Marloven - Beta Release 3");
    setFixedSize(521, 421);
}

} // namespace marloven
