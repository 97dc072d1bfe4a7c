// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QValidator>

class QLineEdit;
class QWidget;

namespace marloven {

// Keeps only the allowed characters of what the player puts into a box, whether
// typed, pasted or dropped: a paste cannot bring in what typing refuses, and a change
// that brings in nothing allowed leaves the box as it was, selection included. Editing
// keys such as backspace and tab are not text and stay untouched. Text that was in
// the box already, such as a stored value put there by SetBoxText, is left alone.
class CharFilter : public QValidator {
    Q_OBJECT
  public:
    // Filters the box from now on; the box owns the filter.
    static void Install(QLineEdit* box, QString allowed);

    State validate(QString& input, int& pos) const override;

  private:
    friend void SetBoxText(QLineEdit* box, const QString& text);
    CharFilter(QLineEdit* box, QString allowed);

    QString allowed_;
    QString accepted_; // the box's text before the change being validated
};

// Puts a text into a box as it stands, even characters its filter would refuse.
void SetBoxText(QLineEdit* box, const QString& text);

// For the lists that change only by choosing from them: typed characters, which would
// jump to a matching item, are dropped, in a drop-down list's open popup as well. The
// arrows, Tab, Enter and Escape still do their work.
void DiscardTypedKeys(QWidget* list);

} // namespace marloven
