// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "comm/internet_link.h"
#include "comm/invitation.h"
#include "core/launch.h"
#include "ui/main/store_writer.h"

#include <QMainWindow>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace marloven {

struct AppContext;
struct Forms;
class Relay;
class OutlinedLabel;
class DemoPage;
class GameOptionsPage;
class GifImage;
class MacroPage;
class ModemPage;
class UserMapPage;

// The launcher's main window: the player row, the action buttons, five pages of
// settings, a menu and a status bar. Every setting control writes its key into the
// store as soon as the player changes it; the buttons start the game or the comm
// driver with what the pages show.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // The forms are created after this window; it reaches them only once they exist.
    MainWindow(AppContext& context, Forms& forms, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Reads VK.CFG and fills every control from it without writing anything back. A
    // file that cannot be read is reported, and the controls and the store keep what
    // they had. Returns whether the file was read.
    bool LoadSettings();
    // Every game start goes through here: gathers the game options, routes the start
    // through the mouse-tweak program when that is on and offers to save a recorded demo
    // afterwards. The main window is shown when it returns, whatever happened.
    // A comm-driver start carries its link to the others, for DOSBox to make, and the
    // link's relay when the start opened it.
    void Launch(LaunchMode mode, const std::string& program,
                const std::optional<InternetLink>& link = std::nullopt,
                std::shared_ptr<Relay> relay = nullptr);
    // Opens the dialog the invitation's start begins with, filled in to join the host:
    // the phonebook with the entry "From invitation" picked for a modem call, the
    // host-or-join dialog set to Join for the cable and the network. Nothing starts
    // before the player clicks on.
    void OpenInvitation(const Invitation& invitation);
    static inline const QString kInvitationNeedsDosbox =
        QStringLiteral("An invitation joins a game over the internet, which DOSBox carries. Choose "
                       "DOSBox in Options > DOSBox, then open the invitation again.");

    // Decoration.
    GifImage* emblem = nullptr; // the animated star in the top left corner
    OutlinedLabel* titleLabel = nullptr;
    QLabel* subtitleLabel = nullptr;

    // The player row and the action buttons.
    QLineEdit* playerNameEdit = nullptr;
    QComboBox* playerColorCombo = nullptr;
    QPushButton* singlePlayerButton = nullptr;
    QPushButton* botsButton = nullptr;
    QPushButton* dialButton = nullptr;
    QPushButton* answerButton = nullptr;
    QPushButton* alreadyConnectedButton = nullptr;
    QPushButton* networkButton = nullptr;
    QPushButton* kaliButton = nullptr;
    QPushButton* exitButton = nullptr; // "E&xit"

    // The tab control and its pages, which hold their own controls.
    QTabWidget* pages = nullptr;
    GameOptionsPage* gameOptionsPage = nullptr;
    UserMapPage* userMapPage = nullptr;
    DemoPage* demoPage = nullptr;
    MacroPage* macroPage = nullptr;
    ModemPage* modemPage = nullptr;

    // The two panels of the status bar.
    QLabel* versionLabel = nullptr;
    QLabel* copyrightLabel = nullptr;

    // The menu.
    QAction* openGameDirectoryAction = nullptr;
    QAction* runSetupAction = nullptr;
    QAction* exitAction = nullptr;
    QAction* showConfigAction = nullptr;
    QAction* commandLineAction = nullptr; // "View > Command Line...": what each start runs
    QAction* dosboxAction = nullptr;      // "Options > DOSBox..."
    QAction* askRouterAction = nullptr;   // whether hosting asks the home router for the port
    // "Options > Meeting Place...": the server where players beyond the home network meet.
    QAction* meetingPlaceAction = nullptr;
    QAction* aboutAction = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildDecoration(QWidget* client);
    void BuildPlayerRowAndButtons(QWidget* client);
    void BuildPages(QWidget* client);
    void BuildBackground(QWidget* client);
    void BuildMenu();
    void BuildStatusBar();
    void ConnectHandlers();

    void StorePlayerColor(int position);
    void StartSinglePlayer();
    void Exit();
    void CloseWithFarewell(QCloseEvent* event);
    // "Would you like to save the current settings?"; false when Yes could not save.
    bool OfferToSave();
    void OpenGameDirectory();
    void RunSetup();
    void ShowConfig();
    void ShowCommandLines();
    void ShowAbout();

    // The four comm-driver starts.
    void DialOpponent();
    void AnswerCall();
    void StartAlreadyConnected();
    void StartNetworkGame();
    // Writes COMMIT.DAT for the start and starts the driver, through DOSBox with the
    // link when there is one, opened first; a link that cannot be opened or a file that
    // cannot be written is reported and nothing is started.
    void StartCommDriver(LaunchMode mode, const std::string& value,
                         std::optional<InternetLink> link);
    // Whether DOSBox will run the driver (with the mouse tweak on, its helper).
    bool CommDriverRunsInDosbox() const;
    // Where DOSBox runs the driver, asks how to meet the others; false to stop the start.
    bool ChooseLink(LaunchMode mode, std::optional<InternetLink>& link);

    AppContext& context_;
    Forms& forms_;
    StoreWriter store_;
    // An invitation's call, while its dial is chosen: its number and its code, which the
    // call proves when that number is the one dialled.
    std::optional<Invitation> invitedCall_;
};

} // namespace marloven
