// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/commit_form.h"

#include <QPlainTextEdit>

namespace marloven {

TMy::TMy(QWidget* parent) : QWidget(parent) {
    Commit = new QPlainTextEdit("Memo1", this);
    Commit->setObjectName("Commit");
    Commit->setLineWrapMode(QPlainTextEdit::NoWrap);
    Commit->setEnabled(false);
    Commit->hide();
}

} // namespace marloven
