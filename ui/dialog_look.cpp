#include "ui/dialog_look.h"

#include "widgets/stone_background.h"

#include <QGuiApplication>
#include <QScreen>

namespace marloven {

FixedDialog::FixedDialog(const QString& title, QSize clientSize, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(title);
    setFont(FormFont());
    setFixedSize(clientSize);
    AddBackground(this);
}

void FixedDialog::showEvent(QShowEvent* event) {
    const auto* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const auto frame = frameGeometry();
        move(pos() + screen->availableGeometry().center() - frame.center());
    }
    QDialog::showEvent(event);
}

} // namespace marloven
