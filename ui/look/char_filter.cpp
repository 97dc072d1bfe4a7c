// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/look/char_filter.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

namespace marloven {

namespace {

bool IsTypedCharacter(const QKeyEvent& key) {
    const QString text = key.text();
    if (text.isEmpty()) {
        return false;
    }
    // Tab, Enter and Escape still move the focus, choose and close.
    const QChar first = text.front();
    return first != u'\t' && first != u'\r' && first != u'\n' && first != u'\x1b';
}

class TypedKeyDiscarder : public QObject {
  public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            IsTypedCharacter(*static_cast<QKeyEvent*>(event))) {
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void CharFilter::Install(QLineEdit* box, QString allowed) {
    box->setValidator(new CharFilter(box, std::move(allowed)));
}

CharFilter::CharFilter(QLineEdit* box, QString allowed)
    : QValidator(box), allowed_(std::move(allowed)), accepted_(box->text()) {
    connect(box, &QLineEdit::textChanged, this, [this](const QString& text) { accepted_ = text; });
}

QValidator::State CharFilter::validate(QString& input, int& pos) const {
    // What the change brought in lies between the part it kept at the front and the
    // part it kept at the back.
    const auto shorter = std::min(input.size(), accepted_.size());
    qsizetype front = 0;
    while (front < shorter && input[front] == accepted_[front]) {
        ++front;
    }
    qsizetype back = 0;
    while (back < shorter - front &&
           input[input.size() - 1 - back] == accepted_[accepted_.size() - 1 - back]) {
        ++back;
    }
    QString kept = input.left(front);
    int cursor = pos;
    bool refused = false;
    for (auto at = front; at < input.size() - back; ++at) {
        if (allowed_.contains(input[at])) {
            kept += input[at];
        } else {
            refused = true;
            cursor -= at < pos ? 1 : 0;
        }
    }
    // A change that brings in nothing allowed is dropped whole, as a refused key never
    // reaches the box: a selection it would have replaced stays, text and all.
    if (refused && kept.size() == front) {
        return Invalid;
    }
    kept += input.right(back);
    input = kept;
    pos = cursor;
    return Acceptable;
}

void SetBoxText(QLineEdit* box, const QString& text) {
    if (auto* filter = box->findChild<CharFilter*>(QString(), Qt::FindDirectChildrenOnly)) {
        filter->accepted_ = text;
    }
    box->setText(text);
}

void DiscardTypedKeys(QWidget* list) {
    auto* discarder = new TypedKeyDiscarder(list);
    list->installEventFilter(discarder);
    // The open popup takes the keys itself, and its own search would pick an item.
    if (auto* dropDown = qobject_cast<QComboBox*>(list)) {
        dropDown->view()->installEventFilter(discarder);
    }
}

} // namespace marloven
