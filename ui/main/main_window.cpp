// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/main_window.h"

#include "comm/commit_file.h"
#include "core/cfg_store.h"
#include "core/mouse_tweak.h"
#include "core/settings.h"
#include "launcher/launcher_settings.h"
#include "launcher/link_settings.h"
#include "launcher/start_plan.h"
#include "platform/program_runner.h"
#include "platform/sound_player.h"
#include "qt_text/text_conversions.h"
#include "ui/app_context.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/command_line_view.h"
#include "ui/dialogs/config_viewer.h"
#include "ui/dialogs/dosbox_dialog.h"
#include "ui/dialogs/meeting_place_dialog.h"
#include "ui/dialogs/phonebook_entry_dialog.h"
#include "ui/dialogs/pick_opponent_dialog.h"
#include "ui/dialogs/players_dialog.h"
#include "ui/game_directory.h"
#include "ui/look/char_filter.h"
#include "ui/look/look.h"
#include "ui/main/demo_page.h"
#include "ui/main/game_options_page.h"
#include "ui/main/macro_page.h"
#include "ui/main/modem_page.h"
#include "ui/main/page_controls.h"
#include "ui/main/user_map_page.h"
#include "ui/prompter.h"
#include "ui/starts/internet_play.h"
#include "ui/starts/launch.h"
#include "ui/startup.h"
#include "widgets/outlined_label.h"
#include "widgets/star_emblem.h"
#include "widgets/stone_background.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <initializer_list>

namespace marloven {

namespace {

constexpr int kClientWidth = 521;
constexpr int kClientHeight = 421;
constexpr int kStatusBarHeight = 19;

} // namespace

MainWindow::MainWindow(AppContext& context, Forms& forms, QWidget* parent)
    : QMainWindow(parent), context_(context), forms_(forms), store_(context.store) {
    setObjectName("Main");
    setWindowTitle("Marloven - Beta Release 3");
    setFont(FormFont());

    auto* client = new QWidget(this);
    client->setObjectName("Client");
    client->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
    setCentralWidget(client);

    // Built in this order, which is the order of their layers from the bottom up.
    BuildDecoration(client);
    emblem = AddStar(client);
    BuildPlayerRowAndButtons(client);
    BuildPages(client);
    BuildBackground(client);
    BuildMenu();
    BuildStatusBar();
    ConnectHandlers();

    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    move(screen()->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildDecoration(QWidget* client) {
    titleLabel = AddTitle(client);
    subtitleLabel = AddSubtitle(client);
    subtitleLabel->move(72, 38);
    subtitleLabel->adjustSize();
}

void MainWindow::BuildPlayerRowAndButtons(QWidget* client) {
    // Created in keyboard order: the comm buttons and Exit first, then the player row.
    dialButton = AddButton(client, "DialButton", "&Dial", 440, 160);
    answerButton = AddButton(client, "AnswerButton", "&Answer", 440, 192);
    alreadyConnectedButton = AddButton(client, "AlreadyButton", "A&lready", 440, 224);
    networkButton = AddButton(client, "NetworkButton", "&Network", 440, 280);
    exitButton = AddButton(client, "Button5", "E&xit", 440, 360);

    AddCaption(client, "Player Name", 8, 72)->setObjectName("PlayerNameCaption");
    AddCaption(client, "Player Color", 296, 72)->setObjectName("PlayerColorCaption");
    playerNameEdit = AddEdit(client, "PlayerName", cfg_default::kPlayerName, 8, 88, 273);
    PaintLimeOnBlack(playerNameEdit);
    playerColorCombo = AddList(
        client, "PlayerColor",
        {"Brown", "Gray", "Purple", "Red", "Yellow", "Olive", "Green", "Blue"}, 296, 88, 121);
    playerColorCombo->setPlaceholderText("Default");
    playerColorCombo->setCurrentIndex(-1);
    PaintLimeOnBlack(playerColorCombo);
    PaintLimeOnBlack(playerColorCombo->view());

    singlePlayerButton = AddButton(client, "SingleButton", "Single Player", 440, 72);
    botsButton = AddButton(client, "BotsButton", "DM Bots", 440, 104);
    kaliButton = AddButton(client, "KaliButton", "Kali / Khan", 440, 312);
}

void MainWindow::BuildPages(QWidget* client) {
    pages = Place(new QTabWidget(client), "PageControl1", 8, 128, 409, 265);
    gameOptionsPage = new GameOptionsPage(context_);
    userMapPage = new UserMapPage(context_);
    demoPage = new DemoPage(context_);
    macroPage = new MacroPage(context_, forms_);
    modemPage = new ModemPage(context_, forms_);
    pages->addTab(gameOptionsPage, "Game Options");
    pages->addTab(userMapPage, " User Map ");
    pages->addTab(demoPage, "Demo Playback");
    pages->addTab(macroPage, " Commbat Macros");
    pages->addTab(modemPage, "Modem Setup");
    pages->setCurrentIndex(0);
    // Tabs as narrow as the launcher's own, so all five stand in one row.
    pages->setUsesScrollButtons(false);
    pages->tabBar()->setStyleSheet(
        "QTabBar::tab { padding: 3px 4px; border: 1px solid #a0a0a0; border-bottom: none;"
        " border-top-left-radius: 2px; border-top-right-radius: 2px; background: #dcdcdc; }"
        "QTabBar::tab:selected { background: palette(window); }"
        "QTabBar::tab:!selected { margin-top: 2px; }");

    const QList<QWidget*> order = {
        dialButton,     answerButton,     alreadyConnectedButton, networkButton, exitButton,
        playerNameEdit, playerColorCombo, singlePlayerButton,     botsButton,    kaliButton,
        pages};
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

// The stone lies under the menu, in the client area, one pixel in from the left edge.
// The tab area is a window of its own above it: its tabs and pages keep the face colour.
void MainWindow::BuildBackground(QWidget* client) {
    AddBackground(client, {1, 0});
    pages->setAutoFillBackground(true);
}

void MainWindow::BuildMenu() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("File1");
    openGameDirectoryAction = file->addAction("&Open Game Directory...");
    openGameDirectoryAction->setObjectName("OpenGameDirectory1");
    runSetupAction = file->addAction("Launch &SETUP.EXE...");
    runSetupAction->setObjectName("LaunchSETUPEXE1");
    exitAction = file->addAction("E&xit");
    exitAction->setObjectName("Exit1");

    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("View1");
    showConfigAction = view->addAction("&Show .CFG File");
    showConfigAction->setObjectName("ShowCFGFile1");
    commandLineAction = view->addAction("&Command Line...");
    commandLineAction->setObjectName("CommandLine1");

    QMenu* options = menuBar()->addMenu("&Options");
    options->setObjectName("Options1");
    dosboxAction = options->addAction("&DOSBox...");
    dosboxAction->setObjectName("DOSBox1");
    askRouterAction = options->addAction("Ask the &Router to Open the Port");
    askRouterAction->setObjectName("AskRouter1");
    askRouterAction->setCheckable(true);
    askRouterAction->setChecked(context_.settings.Get(LauncherKey::RouterAsk).toBool());
    meetingPlaceAction = options->addAction("&Meeting Place...");
    meetingPlaceAction->setObjectName("meetingPlaceAction");

    QMenu* blank = menuBar()->addMenu(QString());
    blank->setObjectName("BlankTitle");
    blank->menuAction()->setEnabled(false);

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("Help1");
    aboutAction = help->addAction("&About");
    aboutAction->setObjectName("About1");
}

void MainWindow::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(kStatusBarHeight);
    versionLabel = new QLabel("Velkaran v1.00 VK");
    versionLabel->setObjectName("VersionPanel");
    versionLabel->setFixedWidth(265);
    copyrightLabel = new QLabel("Copyright (C) 2026 the Marloven developers");
    copyrightLabel->setObjectName("CopyrightPanel");
    bar->addWidget(versionLabel);
    bar->addWidget(copyrightLabel, 1);
}

void MainWindow::ConnectHandlers() {
    store_.FollowEdits(playerNameEdit, cfg_key::kPlayerName, true);
    // "activated": the player's own choice, not a change made by the program.
    connect(playerColorCombo, &QComboBox::activated, this, &MainWindow::StorePlayerColor);
    DiscardTypedKeys(playerColorCombo);
    connect(gameOptionsPage->recordDemoCheck, &QCheckBox::clicked, demoPage,
            &DemoPage::EnableBrowsing);

    connect(singlePlayerButton, &QPushButton::clicked, this, &MainWindow::StartSinglePlayer);
    connect(dialButton, &QPushButton::clicked, this, &MainWindow::DialOpponent);
    connect(answerButton, &QPushButton::clicked, this, &MainWindow::AnswerCall);
    connect(alreadyConnectedButton, &QPushButton::clicked, this,
            &MainWindow::StartAlreadyConnected);
    connect(networkButton, &QPushButton::clicked, this, &MainWindow::StartNetworkGame);
    connect(kaliButton, &QPushButton::clicked, this, &MainWindow::StartNetworkGame);
    connect(exitButton, &QPushButton::clicked, this, &MainWindow::Exit);
    connect(openGameDirectoryAction, &QAction::triggered, this, &MainWindow::OpenGameDirectory);
    connect(runSetupAction, &QAction::triggered, this, &MainWindow::RunSetup);
    connect(exitAction, &QAction::triggered, this, &MainWindow::Exit);
    connect(showConfigAction, &QAction::triggered, this, &MainWindow::ShowConfig);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::ShowAbout);
    connect(commandLineAction, &QAction::triggered, this, &MainWindow::ShowCommandLines);
    connect(dosboxAction, &QAction::triggered, this,
            [this] { EditDosboxSettings(*forms_.dosbox, context_.settings); });
    connect(meetingPlaceAction, &QAction::triggered, this,
            [this] { EditMeetingPlace(*forms_.meetingPlace, context_.settings); });
    connect(askRouterAction, &QAction::toggled, this, [this](bool ask) {
        context_.settings.Set(LauncherKey::RouterAsk, ask);
        context_.settings.Sync();
    });
}

// What each start would run with the options as they stand now.
void MainWindow::ShowCommandLines() {
    forms_.commandLine->Show([this](std::string_view name) {
        // A comm-driver start shows the link the player chose last for it.
        const auto plan = PlanNamedStart(
            context_.runner, context_.startDir, name, gameOptionsPage->Gather(),
            gameOptionsPage->tweakMouseCheck->isChecked(),
            RememberedLink(context_.settings, name, modemPage->comPortCombo->currentIndex()));
        return plan ? DescribePlannedStart(*plan) : std::string();
    });
}

bool MainWindow::LoadSettings() {
    if (!ReportFileErrors(context_.prompter, [this] { context_.store.CfgLoad(); })) {
        return false;
    }
    const MainSettings settings = ReadMainSettings(context_.store);
    {
        const auto filling = store_.Filling();
        playerNameEdit->setText(FromBytes(settings.playerName));
        Select(playerColorCombo, settings.color);
    }
    for (Page* page : std::initializer_list<Page*>{gameOptionsPage, userMapPage, demoPage,
                                                   macroPage, modemPage}) {
        page->Load(settings);
    }
    return true;
}

void MainWindow::StorePlayerColor(int position) {
    store_.Set(cfg_key::kNetColor, QString::number(position), false);
}

void MainWindow::Launch(LaunchMode mode, const std::string& program,
                        const std::optional<InternetLink>& link, std::shared_ptr<Relay> relay) {
    LaunchHooks hooks;
    hooks.link = link;
    hooks.relay = std::move(relay);
    if (gameOptionsPage->tweakMouseCheck->isChecked()) {
        hooks.mouseTweak = [this](std::string& name, const std::string& arguments) {
            return gameOptionsPage->WriteMouseTweak(name, arguments);
        };
    }
    hooks.saveRecordedDemo = [this] { demoPage->SaveRecordedDemo(); };
    LaunchGame(context_, this, mode, program, gameOptionsPage->Gather(), hooks);
    // A start that stopped early, or found no program, may follow a caller that hid
    // this window; the player gets it back either way.
    if (!isVisible()) {
        show();
    }
}

void MainWindow::StartSinglePlayer() {
    Launch(LaunchMode::SinglePlayer, kGameProgram);
}

void MainWindow::Exit() {
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    CloseWithFarewell(event);
}

bool MainWindow::OfferToSave() {
    return !context_.prompter.AskYesNo("Would you like to save the current settings?") ||
           ReportFileErrors(context_.prompter, [this] { context_.store.CfgSave(); });
}

void MainWindow::CloseWithFarewell(QCloseEvent* event) {
    if (!OfferToSave()) {
        event->ignore();
        return;
    }
    hide();
    AboutBox& about = *forms_.aboutBox;
    about.okButton->hide();
    about.show();
    about.activateWindow();
    about.repaint();
    context_.sound.PlaySync(kFarewellSound);
    about.hide();
    event->accept();
}

// The settings shown belong to this game directory, so they are offered for saving
// before the launcher turns to the other one.
void MainWindow::OpenGameDirectory() {
    const auto chosen = AskGameDirectory(context_.prompter, context_.startDir);
    if (chosen && context_.openGameDirectory && OfferToSave()) {
        context_.openGameDirectory(*chosen);
    }
}

void MainWindow::RunSetup() {
    if (!ReportFileErrors(context_.prompter, [this] { context_.store.CfgSave(); })) {
        return;
    }
    RunProgram(context_, this, kSetupProgram, "");
    LoadSettings();
}

void MainWindow::ShowConfig() {
    forms_.configViewer->exec();
}

void MainWindow::ShowAbout() {
    hide();
    forms_.aboutBox->okButton->show();
    forms_.aboutBox->exec();
    show();
}

} // namespace marloven
