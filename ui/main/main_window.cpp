// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/main_window.h"

#include "comm/commit_file.h"
#include "core/cfg_store.h"
#include "core/mouse_tweak.h"
#include "core/settings.h"
#include "launcher/launcher_settings.h"
#include "launcher/link_settings.h"
#include "launcher/start_plan.h"
#include "launcher/text_conversions.h"
#include "platform/program_runner.h"
#include "platform/sound_player.h"
#include "ui/app_context.h"
#include "ui/dialogs/about_box.h"
#include "ui/dialogs/command_line_view.h"
#include "ui/dialogs/config_viewer.h"
#include "ui/dialogs/dosbox_dialog.h"
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

TMain::TMain(AppContext& context, Forms& forms, QWidget* parent)
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
    GIFImage1 = AddStar(client);
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

TMain::~TMain() = default;

void TMain::BuildDecoration(QWidget* client) {
    Title = AddTitle(client);
    Subtitle = AddSubtitle(client);
    Subtitle->move(72, 38);
    Subtitle->adjustSize();
}

void TMain::BuildPlayerRowAndButtons(QWidget* client) {
    // Created in keyboard order: the comm buttons and Exit first, then the player row.
    DialButton = AddButton(client, "DialButton", "&Dial", 440, 160);
    AnswerButton = AddButton(client, "AnswerButton", "&Answer", 440, 192);
    AlreadyButton = AddButton(client, "AlreadyButton", "A&lready", 440, 224);
    NetworkButton = AddButton(client, "NetworkButton", "&Network", 440, 280);
    Button5 = AddButton(client, "Button5", "E&xit", 440, 360);

    AddCaption(client, "Player Name", 8, 72)->setObjectName("PlayerNameCaption");
    AddCaption(client, "Player Color", 296, 72)->setObjectName("PlayerColorCaption");
    PlayerName = AddEdit(client, "PlayerName", cfg_default::kPlayerName, 8, 88, 273);
    PaintLimeOnBlack(PlayerName);
    PlayerColor = AddList(client, "PlayerColor",
                          {"Brown", "Gray", "Purple", "Red", "Yellow", "Olive", "Green", "Blue"},
                          296, 88, 121);
    PlayerColor->setPlaceholderText("Default");
    PlayerColor->setCurrentIndex(-1);
    PaintLimeOnBlack(PlayerColor);
    PaintLimeOnBlack(PlayerColor->view());

    SingleButton = AddButton(client, "SingleButton", "Single Player", 440, 72);
    BotsButton = AddButton(client, "BotsButton", "DM Bots", 440, 104);
    KaliButton = AddButton(client, "KaliButton", "Kali / Khan", 440, 312);
}

void TMain::BuildPages(QWidget* client) {
    PageControl1 = Place(new QTabWidget(client), "PageControl1", 8, 128, 409, 265);
    GameOptionsPage = new TGameOptionsPage(context_);
    UserMapPage = new TUserMapPage(context_);
    DemoPage = new TDemoPage(context_);
    MacroPage = new TMacroPage(context_, forms_);
    ModemPage = new TModemPage(context_, forms_);
    PageControl1->addTab(GameOptionsPage, "Game Options");
    PageControl1->addTab(UserMapPage, " User Map ");
    PageControl1->addTab(DemoPage, "Demo Playback");
    PageControl1->addTab(MacroPage, " Commbat Macros");
    PageControl1->addTab(ModemPage, "Modem Setup");
    PageControl1->setCurrentIndex(0);
    // Tabs as narrow as the launcher's own, so all five stand in one row.
    PageControl1->setUsesScrollButtons(false);
    PageControl1->tabBar()->setStyleSheet(
        "QTabBar::tab { padding: 3px 4px; border: 1px solid #a0a0a0; border-bottom: none;"
        " border-top-left-radius: 2px; border-top-right-radius: 2px; background: #dcdcdc; }"
        "QTabBar::tab:selected { background: palette(window); }"
        "QTabBar::tab:!selected { margin-top: 2px; }");

    const QList<QWidget*> order = {DialButton, AnswerButton, AlreadyButton, NetworkButton,
                                   Button5,    PlayerName,   PlayerColor,   SingleButton,
                                   BotsButton, KaliButton,   PageControl1};
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

// The stone lies under the menu, in the client area, one pixel in from the left edge.
// The tab area is a window of its own above it: its tabs and pages keep the face colour.
void TMain::BuildBackground(QWidget* client) {
    AddBackground(client, {1, 0});
    PageControl1->setAutoFillBackground(true);
}

void TMain::BuildMenu() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("File1");
    OpenGameDirectory1 = file->addAction("&Open Game Directory...");
    OpenGameDirectory1->setObjectName("OpenGameDirectory1");
    LaunchSETUPEXE1 = file->addAction("Launch &SETUP.EXE...");
    LaunchSETUPEXE1->setObjectName("LaunchSETUPEXE1");
    Exit1 = file->addAction("E&xit");
    Exit1->setObjectName("Exit1");

    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("View1");
    ShowCFGFile1 = view->addAction("&Show .CFG File");
    ShowCFGFile1->setObjectName("ShowCFGFile1");
    CommandLine1 = view->addAction("&Command Line...");
    CommandLine1->setObjectName("CommandLine1");

    QMenu* options = menuBar()->addMenu("&Options");
    options->setObjectName("Options1");
    DOSBox1 = options->addAction("&DOSBox...");
    DOSBox1->setObjectName("DOSBox1");
    AskRouter1 = options->addAction("Ask the &Router to Open the Port");
    AskRouter1->setObjectName("AskRouter1");
    AskRouter1->setCheckable(true);
    AskRouter1->setChecked(context_.settings.Get(LauncherKey::RouterAsk).toBool());

    QMenu* blank = menuBar()->addMenu(QString());
    blank->setObjectName("BlankTitle");
    blank->menuAction()->setEnabled(false);

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("Help1");
    About1 = help->addAction("&About");
    About1->setObjectName("About1");
}

void TMain::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(kStatusBarHeight);
    VersionPanel = new QLabel("Velkaran v1.00 VK");
    VersionPanel->setObjectName("VersionPanel");
    VersionPanel->setFixedWidth(265);
    CopyrightPanel = new QLabel("Copyright (C) 2026 the Marloven developers");
    CopyrightPanel->setObjectName("CopyrightPanel");
    bar->addWidget(VersionPanel);
    bar->addWidget(CopyrightPanel, 1);
}

void TMain::ConnectHandlers() {
    store_.FollowEdits(PlayerName, cfg_key::kPlayerName, true);
    // "activated": the player's own choice, not a change made by the program.
    connect(PlayerColor, &QComboBox::activated, this, &TMain::PlayerColorChange);
    DiscardTypedKeys(PlayerColor);
    connect(GameOptionsPage->RecordDemo, &QCheckBox::clicked, DemoPage,
            &TDemoPage::RecordDemoClick);

    connect(SingleButton, &QPushButton::clicked, this, &TMain::SingleButtonClick);
    connect(DialButton, &QPushButton::clicked, this, &TMain::DialButtonClick);
    connect(AnswerButton, &QPushButton::clicked, this, &TMain::AnswerButtonClick);
    connect(AlreadyButton, &QPushButton::clicked, this, &TMain::AlreadyButtonClick);
    connect(NetworkButton, &QPushButton::clicked, this, &TMain::NetworkButtonClick);
    connect(KaliButton, &QPushButton::clicked, this, &TMain::NetworkButtonClick);
    connect(Button5, &QPushButton::clicked, this, &TMain::Button5Click);
    connect(OpenGameDirectory1, &QAction::triggered, this, &TMain::OpenGameDirectory1Click);
    connect(LaunchSETUPEXE1, &QAction::triggered, this, &TMain::LaunchSETUPEXE1Click);
    connect(Exit1, &QAction::triggered, this, &TMain::Button5Click);
    connect(ShowCFGFile1, &QAction::triggered, this, &TMain::ShowCFGFile1Click);
    connect(About1, &QAction::triggered, this, &TMain::About1Click);
    connect(CommandLine1, &QAction::triggered, this, &TMain::CommandLine1Click);
    connect(DOSBox1, &QAction::triggered, this,
            [this] { EditDosboxSettings(*forms_.Dosbox, context_.settings); });
    connect(AskRouter1, &QAction::toggled, this, [this](bool ask) {
        context_.settings.Set(LauncherKey::RouterAsk, ask);
        context_.settings.Sync();
    });
}

// What each start would run with the options as they stand now.
void TMain::CommandLine1Click() {
    forms_.CommandLine->Show([this](std::string_view name) {
        // A comm-driver start shows the link the player chose last for it.
        const auto plan = PlanNamedStart(
            context_.runner, context_.startDir, name, GameOptionsPage->Gather(),
            GameOptionsPage->SetMouse->isChecked(),
            RememberedLink(context_.settings, name, ModemPage->ComPort->currentIndex()));
        return plan ? DescribePlannedStart(*plan) : std::string();
    });
}

bool TMain::LoadSettings() {
    if (!ReportFileErrors(context_.prompter, [this] { context_.store.CfgLoad(); })) {
        return false;
    }
    const MainSettings settings = ReadMainSettings(context_.store);
    {
        const auto filling = store_.Filling();
        PlayerName->setText(FromBytes(settings.playerName));
        Select(PlayerColor, settings.color);
    }
    for (Page* page : std::initializer_list<Page*>{GameOptionsPage, UserMapPage, DemoPage,
                                                   MacroPage, ModemPage}) {
        page->Load(settings);
    }
    return true;
}

void TMain::PlayerColorChange(int position) {
    store_.Set(cfg_key::kNetColor, QString::number(position), false);
}

void TMain::Launch(LaunchMode mode, const std::string& program,
                   const std::optional<InternetLink>& link, std::shared_ptr<Relay> relay) {
    LaunchHooks hooks;
    hooks.link = link;
    hooks.relay = std::move(relay);
    if (GameOptionsPage->SetMouse->isChecked()) {
        hooks.mouseTweak = [this](std::string& name, const std::string& arguments) {
            return GameOptionsPage->WriteMouseTweak(name, arguments);
        };
    }
    hooks.saveRecordedDemo = [this] { DemoPage->SaveRecordedDemo(); };
    LaunchGame(context_, this, mode, program, GameOptionsPage->Gather(), hooks);
    // A start that stopped early, or found no program, may follow a caller that hid
    // this window; the player gets it back either way.
    if (!isVisible()) {
        show();
    }
}

void TMain::SingleButtonClick() {
    Launch(LaunchMode::SinglePlayer, kGameProgram);
}

void TMain::Button5Click() {
    close();
}

void TMain::closeEvent(QCloseEvent* event) {
    FormClose(event);
}

bool TMain::OfferToSave() {
    return !context_.prompter.AskYesNo("Would you like to save the current settings?") ||
           ReportFileErrors(context_.prompter, [this] { context_.store.CfgSave(); });
}

void TMain::FormClose(QCloseEvent* event) {
    if (!OfferToSave()) {
        event->ignore();
        return;
    }
    hide();
    TAboutBox& about = *forms_.AboutBox;
    about.Button1->hide();
    about.show();
    about.activateWindow();
    about.repaint();
    context_.sound.PlaySync(kFarewellSound);
    about.hide();
    event->accept();
}

// The settings shown belong to this game directory, so they are offered for saving
// before the launcher turns to the other one.
void TMain::OpenGameDirectory1Click() {
    const auto chosen = AskGameDirectory(context_.prompter, context_.startDir);
    if (chosen && context_.openGameDirectory && OfferToSave()) {
        context_.openGameDirectory(*chosen);
    }
}

void TMain::LaunchSETUPEXE1Click() {
    if (!ReportFileErrors(context_.prompter, [this] { context_.store.CfgSave(); })) {
        return;
    }
    RunProgram(context_, this, kSetupProgram, "");
    LoadSettings();
}

void TMain::ShowCFGFile1Click() {
    forms_.ShowCFG->exec();
}

void TMain::About1Click() {
    hide();
    forms_.AboutBox->Button1->show();
    forms_.AboutBox->exec();
    show();
}

} // namespace marloven
