// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/look/click_handler.h"

#include <QMouseEvent>
#include <QWidget>

namespace marloven {

namespace {

class ClickFilter : public QObject {
  public:
    ClickFilter(QWidget* widget, std::function<void()> handler)
        : QObject(widget), widget_(widget), handler_(std::move(handler)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                widget_->rect().contains(mouse->position().toPoint())) {
                handler_();
            }
        }
        return false;
    }

  private:
    QWidget* widget_;
    std::function<void()> handler_;
};

} // namespace

void OnClick(QWidget* widget, std::function<void()> handler) {
    widget->installEventFilter(new ClickFilter(widget, std::move(handler)));
}

} // namespace marloven
