#pragma once

#include "comm/commit_data.h"
#include "comm/internet_link.h"
#include "core/launch.h"

#include <QMainWindow>
#include <filesystem>
#include <optional>
#include <string>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace marloven {

struct AppContext;
class DemoBrowser;
struct DetectedModem;
struct Forms;
class OutlinedLabel;
class TGIFImage;

// The launcher's main window: the player row, the action buttons, five pages of
// settings, a menu and a status bar. Every setting control writes its key into the
// store as soon as the player changes it; the buttons hand over to the launch code,
// which reads the controls below directly.
class TMain : public QMainWindow {
    Q_OBJECT
  public:
    // The forms are created after this window; it reaches them only once they exist.
    TMain(AppContext& context, Forms& forms, QWidget* parent = nullptr);
    ~TMain() override;

    // Reads VK.CFG and fills every control from it without writing anything back. A
    // file that cannot be read is reported, and the controls and the store keep what
    // they had. Returns whether the file was read.
    bool LoadSettings();
    // Rebuilds the ten rows "Macro 0" to "Macro 9" from the store.
    void FillMacroList();
    // The game options the launch reads, as the player has set them now.
    GameOptions GatherGameOptions() const;
    // The position of a list's chosen item; -1 when none is chosen, also when the
    // player has typed over the text of an editable list.
    static int ListPosition(const QComboBox* list);
    // Every game start goes through here: gathers the game options, routes the start
    // through the mouse-tweak program when that is on and offers to save a recorded demo
    // afterwards. The main window is shown when it returns, whatever happened.
    void Launch(int launchMode, const std::string& program,
                const std::optional<InternetLink>& link = std::nullopt);
    // The directory the demo page shows and plays from (the game directory at first).
    std::filesystem::path DemoDirectory() const;
    void SetDemoDirectory(const std::filesystem::path& directory);

    // Decoration.
    TGIFImage* GIFImage1 = nullptr; // the animated star in the top left corner
    OutlinedLabel* Title = nullptr;
    QLabel* Subtitle = nullptr;

    // The player row and the action buttons.
    QLineEdit* PlayerName = nullptr;
    QComboBox* PlayerColor = nullptr;
    QPushButton* SingleButton = nullptr;
    QPushButton* BotsButton = nullptr;
    QPushButton* DialButton = nullptr;
    QPushButton* AnswerButton = nullptr;
    QPushButton* AlreadyButton = nullptr;
    QPushButton* NetworkButton = nullptr;
    QPushButton* KaliButton = nullptr;
    QPushButton* Button5 = nullptr; // "E&xit"

    QTabWidget* PageControl1 = nullptr;

    // "Game Options".
    QComboBox* TicDup = nullptr;
    QCheckBox* NetPred = nullptr;
    QCheckBox* RecordDemo = nullptr;
    QComboBox* StartLevel = nullptr;
    QComboBox* StartSkill = nullptr;
    QCheckBox* SetMouse = nullptr;
    QLineEdit* SmHorz = nullptr;
    QLineEdit* SMVert = nullptr;

    // " User Map ".
    QLineEdit* UserMap = nullptr;
    QPushButton* Button4 = nullptr; // "Browse"
    QPlainTextEdit* MapNotes = nullptr;

    // "Demo Playback".
    QLineEdit* DemoName = nullptr;
    QListWidget* DemoFileList = nullptr;
    QListWidget* DemoDirList = nullptr;
    QComboBox* DemoDriveBox = nullptr;
    QLabel* DemoDirLabel = nullptr;
    QPushButton* Button3 = nullptr; // "Play Selected Demo"

    // " Commbat Macros".
    QTreeWidget* MacroList = nullptr;
    QPushButton* Button2 = nullptr; // "&Edit"; a double click in the list clicks it

    // "Modem Setup".
    QComboBox* ComPort = nullptr;
    QLabel* UartLabel = nullptr;
    QLineEdit* Uart = nullptr;
    QLabel* IRQLabel = nullptr;
    QLineEdit* IRQ = nullptr;
    QComboBox* BaudRate = nullptr;
    QCheckBox* UseTone = nullptr;
    QLineEdit* Init = nullptr;
    QLineEdit* Hangup = nullptr;
    QLineEdit* DialOut = nullptr;
    QPushButton* Button6 = nullptr; // "Detect Modem"

    // The two panels of the status bar.
    QLabel* VersionPanel = nullptr;
    QLabel* CopyrightPanel = nullptr;

    // The menu.
    QAction* LaunchSETUPEXE1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* ShowCFGFile1 = nullptr;
    QAction* About1 = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildDecoration(QWidget* client);
    void BuildPlayerRowAndButtons(QWidget* client);
    void BuildPages(QWidget* client);
    QWidget* BuildGameOptionsPage();
    QWidget* BuildUserMapPage();
    QWidget* BuildDemoPage();
    QWidget* BuildMacroPage();
    QWidget* BuildModemPage();
    void BuildMenu();
    void BuildStatusBar();
    void ConnectHandlers();
    void SetPortDetailsEnabled(bool enabled);
    // Writes a key unless the window is filling its controls from the store.
    void Store(const char* key, const QString& value, bool quoted);

    void FormCreate();
    void PlayerColorChange(int position);
    void TicDupChange(int position);
    void NetPredClick(bool ticked);
    void BaudRateChange();
    void UseToneClick(bool ticked);
    void ComPortChange(int position);
    void Button4Click();
    void Button5Click();
    void SingleButtonClick();
    void FormClose(QCloseEvent* event);
    void LaunchSETUPEXE1Click();
    void ShowCFGFile1Click();
    void About1Click();

    // The stone background.
    void BuildBackground(QWidget* client);

    // Demo recording and playback, and the mouse tweak.
    void ConnectDemoPage();
    bool WriteMouseTweak(std::string& program, const std::string& arguments);
    void SaveRecordedDemo();
    void RecordDemoClick(bool ticked);
    void SetMouseClick(bool ticked);
    void SmHorzClick();
    void SMVertClick();
    void Button3Click();

    // Modem detection.
    void ConnectModemDetection();
    void Button6Click();
    void ApplyDetectedModem(const DetectedModem& modem);

    // The four comm-driver starts.
    void ConnectCommStarts();
    void DialButtonClick();
    void AnswerButtonClick();
    void AlreadyButtonClick();
    void NetworkButtonClick();
    // Writes COMMIT.DAT for the connection and starts the driver, through DOSBox with the
    // link when there is one; a file that cannot be written is reported and nothing is
    // started.
    void StartCommDriver(ConnectionMode mode, const std::string& value, int launchMode,
                         const std::optional<InternetLink>& link);
    // Whether DOSBox will run the driver (with the mouse tweak on, its helper).
    bool CommDriverRunsInDosbox() const;
    // Where DOSBox runs the driver, asks how to meet the others; false to stop the start.
    bool ChooseLink(ConnectionMode mode, std::optional<InternetLink>& link);
    CommitSettings GatherCommitSettings(ConnectionMode mode, const std::string& value) const;

    // Combat macros.
    void ConnectMacroPage();
    // Edits the selected row's macro in the "Edit Macro" dialog and stores it.
    void Button2Click();

    AppContext& context_;
    Forms& forms_;
    DemoBrowser* demoBrowser_ = nullptr;
    bool loading_ = false;
};

} // namespace marloven
