// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace marloven {

// A form that is never shown. Its one control, the disabled text box Commit, holds
// the lines of COMMIT.DAT while a comm-driver start composes them.
class TMy : public QWidget {
    Q_OBJECT
  public:
    explicit TMy(QWidget* parent = nullptr);
    QPlainTextEdit* Commit = nullptr;
};

} // namespace marloven
