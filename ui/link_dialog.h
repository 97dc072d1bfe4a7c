#pragma once

#include "comm/internet_link.h"
#include "ui/dialog_look.h"

#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace marloven {

// Asks how a start through DOSBox meets the other players. Answering shows the port to
// listen on and the addresses to tell the caller, ready to copy; the null-modem cable
// and the network also ask whether this machine hosts (and what to tell the others)
// or joins a host (at which address and port).
//
// The caller fills it with Prepare, shows it with exec() and, when accepted, reads
// Choice(). Rejected means nothing is started.
class LinkDialog : public FixedDialog {
    Q_OBJECT
  public:
    explicit LinkDialog(QWidget* parent = nullptr);

    void Prepare(const InternetLink& link, const std::vector<std::string>& localAddresses);
    // The link as chosen; a port typed after the host's address ("host:port") counts.
    InternetLink Choice() const;
    // The lines to tell the others: this machine's addresses with the port.
    QString TextToTell() const;

    QRadioButton* HostButton() const { return host_; }
    QRadioButton* JoinButton() const { return join_; }
    QLineEdit* Address() const { return address_; }
    QSpinBox* Port() const { return port_; }
    QPushButton* CopyButton() const { return copy_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

  private:
    void Update();

    InternetLink link_;
    std::vector<std::string> localAddresses_;
    QRadioButton* host_ = nullptr;
    QRadioButton* join_ = nullptr;
    QLineEdit* address_ = nullptr;
    QSpinBox* port_ = nullptr;
    QLabel* tellCaption_ = nullptr;
    QPlainTextEdit* tell_ = nullptr;
    QLabel* hint_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace marloven
