#pragma once

#include <QDialog>

namespace marloven {

// Edits one phonebook entry.
class TEditInfo : public QDialog {
    Q_OBJECT
public:
    explicit TEditInfo(QWidget* parent = nullptr);
};

} // namespace marloven
