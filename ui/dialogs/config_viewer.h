// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace marloven {

class CfgStore;

// Shows the lines of the configuration store as they stand, saved or not.
class ConfigViewer : public QDialog {
    Q_OBJECT
  public:
    explicit ConfigViewer(const CfgStore& store, QWidget* parent = nullptr);

    // Shows the store's current lines; runs each time the viewer opens.
    void ShowStoreLines();

    QPlainTextEdit* linesText = nullptr;
    QPushButton* closeButton = nullptr; // "Close"

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    const CfgStore& store_;
};

} // namespace marloven
