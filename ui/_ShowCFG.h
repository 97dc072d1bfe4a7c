#pragma once

#include <QDialog>

namespace marloven {

// Shows the lines of the configuration store.
class TShowCFG : public QDialog {
    Q_OBJECT
public:
    explicit TShowCFG(QWidget* parent = nullptr);
};

} // namespace marloven
