#pragma once

#include <QMainWindow>

namespace marloven {

// The launcher's main window.
class TMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TMain(QWidget* parent = nullptr);
};

} // namespace marloven
