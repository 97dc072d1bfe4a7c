// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/config_viewer.h"

#include "core/cfg_store.h"
#include "qt_text/text_conversions.h"
#include "ui/look/look.h"
#include "widgets/stone_background.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace marloven {

ConfigViewer::ConfigViewer(const CfgStore& store, QWidget* parent)
    : QDialog(parent), store_(store) {
    setObjectName("ShowCFG");
    setWindowTitle("Velkaran .CFG File");
    setFont(FormFont());
    setFixedSize(464, 335);
    AddBackground(this);

    linesText = new QPlainTextEdit(this);
    linesText->setObjectName("CFGData");
    linesText->setGeometry(8, 8, 449, 281);
    linesText->setReadOnly(true);
    linesText->setLineWrapMode(QPlainTextEdit::NoWrap);
    linesText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    PaintLimeOnBlack(linesText);
    linesText->installEventFilter(this);

    closeButton = AddButton(this, "Button1", "Close", 192, 304);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void ConfigViewer::ShowStoreLines() {
    QStringList lines;
    for (const auto& line : store_.Lines()) {
        lines << FromBytes(line);
    }
    linesText->setPlainText(lines.join('\n'));
}

void ConfigViewer::showEvent(QShowEvent* event) {
    ShowStoreLines();
    QDialog::showEvent(event);
}

// Escape closes the viewer from inside the text as well. Every other
// key stays with the read-only text: Enter, which the text leaves unused, would
// otherwise reach the dialog and press "Close".
bool ConfigViewer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == linesText && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            reject();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace marloven
