// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/config_viewer.h"

#include "core/cfg_store.h"
#include "launcher/text_conversions.h"
#include "ui/look/look.h"
#include "widgets/stone_background.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace marloven {

TShowCFG::TShowCFG(const CfgStore& store, QWidget* parent) : QDialog(parent), store_(store) {
    setObjectName("ShowCFG");
    setWindowTitle("Velkaran .CFG File");
    setFont(FormFont());
    setFixedSize(464, 335);
    AddBackground(this);

    CFGData = new QPlainTextEdit(this);
    CFGData->setObjectName("CFGData");
    CFGData->setGeometry(8, 8, 449, 281);
    CFGData->setReadOnly(true);
    CFGData->setLineWrapMode(QPlainTextEdit::NoWrap);
    CFGData->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    PaintLimeOnBlack(CFGData);
    CFGData->installEventFilter(this);

    Button1 = AddButton(this, "Button1", "Close", 192, 304);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
}

void TShowCFG::ShowStoreLines() {
    QStringList lines;
    for (const auto& line : store_.Lines()) {
        lines << FromBytes(line);
    }
    CFGData->setPlainText(lines.join('\n'));
}

void TShowCFG::showEvent(QShowEvent* event) {
    ShowStoreLines();
    QDialog::showEvent(event);
}

// CFGDataKeyPress: Escape closes the viewer from inside the text as well. Every other
// key stays with the read-only text: Enter, which the text leaves unused, would
// otherwise reach the dialog and press "Close".
bool TShowCFG::eventFilter(QObject* watched, QEvent* event) {
    if (watched == CFGData && event->type() == QEvent::KeyPress) {
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
