#include "ui/dialog_look.h"

#include "widgets/OutlinedLabel.h"
#include "widgets/stone_background.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

namespace marloven {

QString FromBytes(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text) {
    return text.toLatin1().toStdString();
}

QFont ControlFont() {
    QFont font;
    font.setFamilies({"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans"});
    font.setPointSize(8);
    return font;
}

QFont CaptionFont(int pointSize) {
    QFont font;
    font.setFamilies({"Arial", "Liberation Sans"});
    font.setPointSize(pointSize);
    font.setBold(true);
    return font;
}

void PaintLimeOnBlack(QWidget* widget) {
    auto palette = widget->palette();
    for (const auto role : {QPalette::Base, QPalette::Window}) {
        palette.setColor(role, Qt::black);
    }
    for (const auto role : {QPalette::Text, QPalette::WindowText}) {
        palette.setColor(role, kLime);
    }
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

OutlinedLabel* AddCaption(QWidget* parent, const QString& text, const QRect& box, int pointSize,
                          Qt::Alignment alignment) {
    auto* caption = new OutlinedLabel(text, CaptionFont(pointSize), Qt::white, parent);
    caption->SetAlignment(alignment);
    caption->SetWordWrap(true);
    caption->PlaceText(box.x(), box.y(), box.size());
    return caption;
}

FixedDialog::FixedDialog(const QString& title, QSize clientSize, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(title);
    setFont(ControlFont());
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
