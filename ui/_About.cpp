#include "ui/_About.h"

namespace marloven {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) { setWindowTitle("About"); }

} // namespace marloven
