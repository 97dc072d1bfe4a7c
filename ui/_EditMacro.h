#pragma once

#include <QDialog>

namespace marloven {

// Edits the text of one combat macro.
class TEditMacro : public QDialog {
    Q_OBJECT
public:
    explicit TEditMacro(QWidget* parent = nullptr);
};

} // namespace marloven
