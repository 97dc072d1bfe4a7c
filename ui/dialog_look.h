#pragma once

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QRect>
#include <QString>
#include <string>
#include <string_view>

class QWidget;

namespace marloven {

class OutlinedLabel;

// The launcher's texts are single-byte, as in its files; Latin-1 maps each byte to
// one character and back, so a text that is shown and stored again keeps its bytes.
QString FromBytes(std::string_view bytes);
std::string ToBytes(const QString& text);

inline const QColor kLime{0, 255, 0};

// The controls' font (MS Sans Serif 8 pt, or a sans with the same metrics).
QFont ControlFont();
// The outlined captions' font (Arial bold, or Liberation Sans with Arial's metrics).
QFont CaptionFont(int pointSize);

// Lime text on black, as the launcher's edit boxes and lists show their contents.
void PaintLimeOnBlack(QWidget* widget);

// A white outlined caption in the given box of the parent.
OutlinedLabel* AddCaption(QWidget* parent, const QString& text, const QRect& box, int pointSize,
                          Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);

// A dialog with a fixed frame of the given client size over the stone background,
// that opens centred on the screen whatever window it belongs to.
class FixedDialog : public QDialog {
    Q_OBJECT
  public:
    FixedDialog(const QString& title, QSize clientSize, QWidget* parent);

  protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace marloven
