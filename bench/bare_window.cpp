// SPDX-License-Identifier: GPL-3.0-or-later
// The reference for the start-up benchmark: a bare Qt Widgets window of ten controls
// that closes as soon as it is shown, as the launcher does when run unattended.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    auto* layout = new QGridLayout(&window);
    for (int row = 0; row < 3; ++row) {
        layout->addWidget(new QLabel(QString("Setting %1").arg(row + 1)), row, 0);
        layout->addWidget(new QLineEdit(QString("value %1").arg(row + 1)), row, 1);
    }
    auto* choice = new QComboBox;
    choice->addItems({"One", "Two", "Three"});
    layout->addWidget(choice, 3, 0);
    layout->addWidget(new QCheckBox("Enabled"), 3, 1);
    layout->addWidget(new QPushButton("OK"), 4, 0);
    layout->addWidget(new QPushButton("Cancel"), 4, 1);
    window.show();
    QTimer::singleShot(0, &window, &QWidget::close);
    return QApplication::exec();
}
