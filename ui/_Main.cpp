#include "ui/_Main.h"

#include "comm/commit_file.h"
#include "comm/modem_detect.h"
#include "core/cfg_store.h"
#include "core/demo_files.h"
#include "core/errors.h"
#include "core/file_io.h"
#include "core/game_file.h"
#include "core/mouse_tweak.h"
#include "core/settings.h"
#include "platform/program_runner.h"
#include "platform/sound_player.h"
#include "ui/_About.h"
#include "ui/_Dial.h"
#include "ui/_EditInfo.h"
#include "ui/_EditMacro.h"
#include "ui/_NetNoPlayers.h"
#include "ui/_ShowCFG.h"
#include "ui/app_context.h"
#include "ui/click_handler.h"
#include "ui/demo_browser.h"
#include "ui/internet_play.h"
#include "ui/launch.h"
#include "ui/look.h"
#include "ui/modem_list.h"
#include "ui/prompter.h"
#include "ui/start_plan.h"
#include "ui/startup.h"
#include "widgets/OutlinedLabel.h"
#include "widgets/star_emblem.h"
#include "widgets/stone_background.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

namespace marloven {

namespace {

constexpr int kClientWidth = 521;
constexpr int kClientHeight = 421;
constexpr int kStatusBarHeight = 19;

// Only the first column of the macro list, the row's caption, is edited in place.
class NoEditDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        return nullptr;
    }
};

template <typename Widget>
Widget* Place(Widget* widget, const char* name, int x, int y, int width, int height) {
    widget->setObjectName(name);
    widget->setGeometry(x, y, width, height);
    return widget;
}

QLineEdit* AddEdit(QWidget* parent, const char* name, const QString& text, int x, int y,
                   int width) {
    return Place(new QLineEdit(text, parent), name, x, y, width, 21);
}

QComboBox* AddList(QWidget* parent, const char* name, const QStringList& items, int x, int y,
                   int width) {
    auto* list = Place(new QComboBox(parent), name, x, y, width, 21);
    list->addItems(items);
    return list;
}

QCheckBox* AddCheck(QWidget* parent, const char* name, const QString& caption, int x, int y,
                    int width, bool ticked) {
    auto* check = Place(new QCheckBox(caption, parent), name, x, y, width, 17);
    check->setChecked(ticked);
    return check;
}

QLabel* AddLabel(QWidget* parent, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

// A note centred over the given width, wrapped when it is longer.
QLabel* AddNote(QWidget* parent, const QString& text, int x, int y, int width, int height) {
    auto* note = new QLabel(text, parent);
    note->setGeometry(x, y, width, height);
    note->setAlignment(Qt::AlignCenter);
    note->setWordWrap(true);
    return note;
}

// A chosen list position, "leave it" or "none chosen" (which also drops the list's
// initial text, so no stale port or colour stays on show).
void Select(QComboBox* list, ListChoice choice) {
    if (!choice) {
        return;
    }
    if (*choice < 0) {
        list->setPlaceholderText(QString());
    }
    list->setCurrentIndex(*choice);
}

bool IsTypedCharacter(const QKeyEvent& key) {
    const QString text = key.text();
    if (text.isEmpty()) {
        return false;
    }
    // Tab, Enter and Escape still move the focus, press the default button and close.
    const QChar first = text.front();
    return first != u'\t' && first != u'\r' && first != u'\n' && first != u'\x1b';
}

} // namespace

TMain::TMain(AppContext& context, Forms& forms, QWidget* parent)
    : QMainWindow(parent), context_(context), forms_(forms) {
    setObjectName("Main");
    setWindowTitle("Marloven - Beta Release 3");
    setFont(FormFont());

    auto* client = new QWidget(this);
    client->setObjectName("Client");
    client->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
    setCentralWidget(client);

    BuildDecoration(client);
    GIFImage1 = AddStar(client);
    BuildPlayerRowAndButtons(client);
    BuildPages(client);
    BuildBackground(client);
    BuildMenu();
    BuildStatusBar();
    ConnectHandlers();
    ConnectDemoPage();
    ConnectModemDetection();
    ConnectMacroPage();
    FormCreate();
    ConnectCommStarts();

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
    PlayerName = AddEdit(client, "PlayerName", "Revu", 8, 88, 273);
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
    PageControl1->addTab(BuildGameOptionsPage(), "Game Options");
    PageControl1->addTab(BuildUserMapPage(), " User Map ");
    PageControl1->addTab(BuildDemoPage(), "Demo Playback");
    PageControl1->addTab(BuildMacroPage(), " Commbat Macros");
    PageControl1->addTab(BuildModemPage(), "Modem Setup");
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

QWidget* TMain::BuildGameOptionsPage() {
    auto* page = new QWidget;
    page->setObjectName("GameOptionsPage");
    AddLabel(page, "Ticdup:", 8, 12);
    TicDup = AddList(page, "TicDup", {"Default", "Ticdup 2", "Ticdup 4", "Ticdup 8"}, 48, 8, 89);
    TicDup->setEditable(true);
    TicDup->setInsertPolicy(QComboBox::NoInsert);
    NetPred = AddCheck(page, "NetPred", "Disable Net Prediction ", 152, 10, 137, true);
    RecordDemo = AddCheck(page, "RecordDemo", "Record Demo", 300, 10, 93, false);

    AddNote(page, "These settings are only used when you are recording a demo. ", 8, 38, 385, 16);
    AddLabel(page, "Starting Level", 8, 58);
    StartLevel = AddList(
        page, "StartLevel",
        {"Ashfall Gate", "The Sunken Vaults", "Marrow Foundry", "Throne of Kaboro"}, 8, 74, 185);
    AddLabel(page, "Skill Level", 208, 58);
    StartSkill = AddList(page, "StartSkill",
                         {"Gentle Stroll", "Fair Fight", "Hard Steel", "No Mercy"}, 208, 74, 185);
    StartSkill->setEditable(true);
    StartSkill->setInsertPolicy(QComboBox::NoInsert);

    auto* mouse = Place(new QGroupBox(page), "MouseGroup", 8, 104, 385, 121);
    AddNote(mouse,
            "Marloven can tweak your mouse settings in the DOS box to alter the horziontal and "
            "vertical acceleration.",
            8, 10, 369, 32);
    SetMouse = AddCheck(mouse, "SetMouse", "Tweek Mouse Settings", 8, 52, 161, false);
    AddLabel(mouse, "Horz. Setting", 8, 86);
    SmHorz = AddEdit(mouse, "SmHorz", "50", 88, 82, 57);
    AddLabel(mouse, "Vert. Setting", 176, 86);
    SMVert = AddEdit(mouse, "SMVert", "0", 256, 82, 57);
    SmHorz->setEnabled(false);
    SMVert->setEnabled(false);
    return page;
}

QWidget* TMain::BuildUserMapPage() {
    auto* page = new QWidget;
    page->setObjectName("UserMapPage");
    AddLabel(page, "User Map to Load:", 8, 12);
    UserMap = AddEdit(page, "UserMap", "UserMap", 8, 28, 305);
    Button4 = AddButton(page, "Button4", "Browse", 318, 26);
    AddLabel(page, "Map Notes", 8, 62);
    MapNotes = Place(new QPlainTextEdit(page), "MapNotes", 8, 78, 385, 149);
    QFont terminal("Terminal");
    terminal.setStyleHint(QFont::TypeWriter);
    terminal.setPixelSize(12);
    MapNotes->setFont(terminal);
    MapNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MapNotes->setPlainText("\nName a map file of your own above, or Browse.\n"
                           "The game loads it at its next start.");
    return page;
}

QWidget* TMain::BuildDemoPage() {
    auto* page = new QWidget;
    page->setObjectName("DemoPage");
    AddLabel(page, "Name:", 8, 8);
    DemoName = AddEdit(page, "DemoName", "*.dmo", 8, 24, 169);
    DemoFileList = Place(new QListWidget(page), "DemoFileList", 8, 50, 169, 177);
    DemoDirLabel = Place(new QLabel(page), "DemoDirLabel", 192, 8, 201, 14);
    DemoDirLabel->setEnabled(false);
    DemoDirList = Place(new QListWidget(page), "DemoDirList", 192, 24, 201, 137);
    DemoDriveBox = AddList(page, "DemoDriveBox", {}, 192, 168, 201);
    Button3 = AddButton(page, "Button3", "Play Selected Demo", 272, 202, 121);
    return page;
}

QWidget* TMain::BuildMacroPage() {
    auto* page = new QWidget;
    page->setObjectName("MacroPage");
    AddCaption(page, "Commbat Macros", 8, 8)->setObjectName("MacroCaption");
    MacroList = Place(new QTreeWidget(page), "MacroList", 8, 26, 385, 173);
    MacroList->setColumnCount(2);
    MacroList->setHeaderLabels({"Macro #", "Macro"});
    MacroList->setRootIsDecorated(false);
    MacroList->setAllColumnsShowFocus(true);
    MacroList->header()->setStretchLastSection(false);
    MacroList->setColumnWidth(1, 296);
    MacroList->setItemDelegateForColumn(1, new NoEditDelegate(MacroList));
    MacroList->setEditTriggers(QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::SelectedClicked);
    Button2 = AddButton(page, "Button2", "&Edit", 318, 204);
    return page;
}

QWidget* TMain::BuildModemPage() {
    auto* page = new QWidget;
    page->setObjectName("ModemPage");
    AddLabel(page, "COM port:", 8, 12);
    ComPort =
        AddList(page, "ComPort",
                {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "User Defined"},
                88, 8, 105);
    ComPort->setPlaceholderText("COM 2");
    ComPort->setCurrentIndex(-1);
    UartLabel = AddLabel(page, "UART:", 8, 40);
    UartLabel->setObjectName("UartLabel");
    Uart = AddEdit(page, "Uart", "Uart", 88, 36, 105);
    IRQLabel = AddLabel(page, "IRQ:", 208, 40);
    IRQLabel->setObjectName("IRQLabel");
    IRQ = AddEdit(page, "IRQ", "IRQ", 240, 36, 73);
    SetPortDetailsEnabled(false);

    AddLabel(page, "Baud Rate:", 8, 68);
    BaudRate =
        AddList(page, "BaudRate", {"9600", "19200", "38400", "57600", "115200"}, 88, 64, 105);
    BaudRate->setCurrentText("57600");
    UseTone = AddCheck(page, "UseTone", "Touch Tone Dialing", 208, 66, 137, true);

    AddLabel(page, "Init String:", 8, 100);
    Init = AddEdit(page, "Init", "AT&F1", 88, 96, 305);
    AddLabel(page, "Hangup String:", 8, 128);
    Hangup = AddEdit(page, "Hangup", "ATH0=0", 88, 124, 305);
    AddLabel(page, "Dialout String:", 8, 156);
    DialOut = AddEdit(page, "DialOut", "DialOut", 88, 152, 305);
    Button6 = AddButton(page, "Button6", "Detect Modem", 304, 186, 89);
    return page;
}

void TMain::BuildMenu() {
    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("File1");
    LaunchSETUPEXE1 = file->addAction("Launch &SETUP.EXE...");
    LaunchSETUPEXE1->setObjectName("LaunchSETUPEXE1");
    Exit1 = file->addAction("E&xit");
    Exit1->setObjectName("Exit1");

    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("View1");
    ShowCFGFile1 = view->addAction("&Show .CFG File");
    ShowCFGFile1->setObjectName("ShowCFGFile1");

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
    const struct {
        QLineEdit* box;
        const char* key;
        bool quoted;
    } texts[] = {
        {PlayerName, cfg_key::PlayerName, true}, {Init, cfg_key::InitString, true},
        {Hangup, cfg_key::HangupString, true},   {DialOut, cfg_key::DialOutString, true},
        {UserMap, cfg_key::UserMap, true},       {Uart, cfg_key::UartAddress, false},
        {IRQ, cfg_key::IrqNumber, false},
    };
    for (const auto& text : texts) {
        connect(text.box, &QLineEdit::textChanged, this,
                [this, text](const QString& value) { Store(text.key, value, text.quoted); });
    }
    // Lists answer "activated": the player's own choice, not a change made by the program.
    connect(PlayerColor, &QComboBox::activated, this, &TMain::PlayerColorChange);
    connect(TicDup, &QComboBox::activated, this, &TMain::TicDupChange);
    connect(BaudRate, &QComboBox::activated, this, &TMain::BaudRateChange);
    connect(ComPort, &QComboBox::activated, this, &TMain::ComPortChange);
    connect(NetPred, &QCheckBox::clicked, this, &TMain::NetPredClick);
    connect(UseTone, &QCheckBox::clicked, this, &TMain::UseToneClick);

    for (QWidget* list : {static_cast<QWidget*>(PlayerColor), static_cast<QWidget*>(StartLevel),
                          static_cast<QWidget*>(MacroList), static_cast<QWidget*>(ComPort),
                          static_cast<QWidget*>(BaudRate)}) {
        list->installEventFilter(this);
    }
    MacroList->viewport()->installEventFilter(this);

    connect(SingleButton, &QPushButton::clicked, this, &TMain::SingleButtonClick);
    connect(Button4, &QPushButton::clicked, this, &TMain::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TMain::Button5Click);
    connect(LaunchSETUPEXE1, &QAction::triggered, this, &TMain::LaunchSETUPEXE1Click);
    connect(Exit1, &QAction::triggered, this, &TMain::Button5Click);
    connect(ShowCFGFile1, &QAction::triggered, this, &TMain::ShowCFGFile1Click);
    connect(About1, &QAction::triggered, this, &TMain::About1Click);
}

bool TMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MacroList->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // "&Edit" once the list has taken the double click in: that cancels the caption
        // editing that the first click on a selected row starts after a pause.
        QMetaObject::invokeMethod(Button2, &QPushButton::click, Qt::QueuedConnection);
        return false;
    }
    // BaudRateKeyPress: the lists that change only by choosing from them drop typed
    // characters, which would otherwise jump to a matching item.
    if (event->type() == QEvent::KeyPress && watched != MacroList->viewport() &&
        IsTypedCharacter(*static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMain::FormCreate() {
    StartLevel->setCurrentIndex(0);
    StartSkill->setCurrentIndex(2);
}

void TMain::Store(const char* key, const QString& value, bool quoted) {
    if (!loading_) {
        context_.store.CfgSet(key, ToBytes(value), quoted);
    }
}

void TMain::PlayerColorChange(int position) {
    Store(cfg_key::NetColor, QString::number(position), false);
}

void TMain::TicDupChange(int position) {
    Store(cfg_key::TicDup, QString::number(position), false);
}

void TMain::NetPredClick(bool ticked) {
    Store(cfg_key::UsePred, ticked ? "1" : "0", false);
}

void TMain::BaudRateChange() {
    Store(cfg_key::PortSpeed, BaudRate->currentText(), false);
}

void TMain::UseToneClick(bool ticked) {
    Store(cfg_key::ToneDial, ticked ? "1" : "0", false);
}

void TMain::SetPortDetailsEnabled(bool enabled) {
    for (QWidget* control : {static_cast<QWidget*>(UartLabel), static_cast<QWidget*>(IRQLabel),
                             static_cast<QWidget*>(Uart), static_cast<QWidget*>(IRQ)}) {
        control->setEnabled(enabled);
    }
}

void TMain::ComPortChange(int position) {
    const bool userDefined = position == kUserDefinedPortPosition;
    SetPortDetailsEnabled(userDefined);
    Store(cfg_key::ComPort, FromBytes(ComPortValue(position)), false);
    // A standard port drops the port details from the store, but the boxes keep their
    // texts: these reach the store again only when the player edits them.
    if (!userDefined) {
        Store(cfg_key::IrqNumber, kStandardPortMark, false);
        Store(cfg_key::UartAddress, kStandardPortMark, false);
    }
}

bool TMain::LoadSettings() {
    try {
        context_.store.CfgLoad();
    } catch (const FileError& error) {
        context_.prompter.ShowError(QString::fromLocal8Bit(error.what()));
        return false;
    }
    const MainSettings s = ReadMainSettings(context_.store);
    const QScopedValueRollback<bool> filling(loading_, true);
    PlayerName->setText(FromBytes(s.playerName));
    Select(PlayerColor, s.color);
    Select(ComPort, s.comPort);
    IRQ->setText(FromBytes(s.irq));
    Uart->setText(FromBytes(s.uart));
    Select(BaudRate, s.baudRate);
    SetMouse->setChecked(s.setMouse);
    SmHorz->setText(FromBytes(s.smHorz));
    SMVert->setText(FromBytes(s.smVert));
    UseTone->setChecked(s.toneDial);
    Init->setText(FromBytes(s.init));
    Hangup->setText(FromBytes(s.hangup));
    DialOut->setText(FromBytes(s.dialOut));
    Select(TicDup, s.ticDup);
    if (s.userDefinedPort) {
        SetPortDetailsEnabled(true);
    }
    FillMacroList();
    SmHorz->setEnabled(SetMouse->isChecked());
    SMVert->setEnabled(SetMouse->isChecked());
    return true;
}

void TMain::FillMacroList() {
    MacroList->clear();
    const auto macros = ReadMacros(context_.store);
    for (int n = 0; n < kMacroCount; ++n) {
        auto* row = new QTreeWidgetItem(
            MacroList, {FromBytes(MacroCaption(n)), FromBytes(macros[static_cast<size_t>(n)])});
        row->setFlags(row->flags() | Qt::ItemIsEditable);
        // The row keeps its number, whatever the player makes of its caption.
        row->setData(0, Qt::UserRole, n);
    }
    // As wide as the heading, and the captions as filled, need in the list's own font.
    MacroList->resizeColumnToContents(0);
}

int TMain::ListPosition(const QComboBox* list) {
    const int position = list->currentIndex();
    if (position >= 0 && list->isEditable() && list->currentText() != list->itemText(position)) {
        return -1;
    }
    return position;
}

GameOptions TMain::GatherGameOptions() const {
    GameOptions options;
    options.netPred = NetPred->isChecked();
    options.recordDemo = RecordDemo->isChecked();
    options.levelPosition = ListPosition(StartLevel);
    options.skillPosition = ListPosition(StartSkill);
    options.ticDupPosition = ListPosition(TicDup);
    return options;
}

void TMain::SingleButtonClick() {
    Launch(0, "VK.EXE");
}

void TMain::Button4Click() {
    const auto chosen =
        context_.prompter.AskOpenFileName(QStringFromPath(context_.startDir), QString());
    if (chosen) {
        const std::filesystem::path file(chosen->toStdU16String());
        UserMap->setText(FromBytes(MapPathFor(context_.startDir, file)));
    }
}

void TMain::Button5Click() {
    close();
}

void TMain::closeEvent(QCloseEvent* event) {
    FormClose(event);
}

void TMain::FormClose(QCloseEvent* event) {
    if (context_.prompter.AskYesNo("Would you like to save the current settings?")) {
        try {
            context_.store.CfgSave();
        } catch (const FileError& error) {
            context_.prompter.ShowError(QString::fromLocal8Bit(error.what()));
            event->ignore();
            return;
        }
    }
    hide();
    TAboutBox& about = *forms_.AboutBox;
    about.Button1->hide();
    about.show();
    about.activateWindow();
    about.repaint();
    context_.sound.PlaySync("SOUNDD.WAV");
    about.hide();
    event->accept();
}

void TMain::LaunchSETUPEXE1Click() {
    try {
        context_.store.CfgSave();
    } catch (const FileError& error) {
        context_.prompter.ShowError(QString::fromLocal8Bit(error.what()));
        return;
    }
    RunProgram(context_, this, "SETUP.EXE", "");
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

// The stone lies under the menu, in the client area, one pixel in from the left edge.
// The tab area is a window of its own above it: its tabs and pages keep the face colour.
void TMain::BuildBackground(QWidget* client) {
    AddBackground(client, {1, 0});
    PageControl1->setAutoFillBackground(true);
}

// Game starts, demo recording and playback, and the mouse tweak.

void TMain::ConnectDemoPage() {
    demoBrowser_ = new DemoBrowser(
        {DemoName, DemoFileList, DemoDirList, DemoDriveBox, DemoDirLabel}, context_.startDir, this);
    connect(RecordDemo, &QCheckBox::clicked, this, &TMain::RecordDemoClick);
    connect(SetMouse, &QCheckBox::clicked, this, &TMain::SetMouseClick);
    OnClick(SmHorz, [this] { SmHorzClick(); });
    OnClick(SMVert, [this] { SMVertClick(); });
    connect(Button3, &QPushButton::clicked, this, &TMain::Button3Click);
}

void TMain::Launch(int launchMode, const std::string& program,
                   const std::optional<InternetLink>& link) {
    LaunchHooks hooks;
    hooks.link = link;
    if (SetMouse->isChecked()) {
        hooks.mouseTweak = [this](std::string& name, const std::string& arguments) {
            return WriteMouseTweak(name, arguments);
        };
    }
    hooks.saveRecordedDemo = [this] { SaveRecordedDemo(); };
    LaunchGame(context_, this, launchMode, program, GatherGameOptions(), hooks);
    // A start that stopped early, or found no program, may follow a caller that hid
    // this window; the player gets it back either way.
    if (!isVisible()) {
        show();
    }
}

bool TMain::WriteMouseTweak(std::string& program, const std::string& arguments) {
    const MouseTweakOrder order{program, arguments, ToBytes(SmHorz->text()),
                                ToBytes(SMVert->text())};
    if (const std::error_code error = WriteMouseTweakFile(context_.startDir, order)) {
        context_.prompter.ShowError(QString::fromLocal8Bit(DescribeWriteError(error)));
        return false;
    }
    program = kMouseTweakProgram;
    return true;
}

void TMain::SaveRecordedDemo() {
    SaveFileRequest request;
    request.directory = QStringFromPath(demoBrowser_->Directory());
    request.defaultSuffix = "DMO";
    request.confirmOverwrite = true;
    const auto chosen = context_.prompter.AskSaveFileName(request);
    if (!chosen || chosen->isEmpty()) {
        return;
    }
    if (!context_.prompter.AskYesNo("You have recorded a demo.  Do you wish to save it?")) {
        return;
    }
    const QString target = QDir::toNativeSeparators(*chosen);
    switch (SaveRecordedDemoTo(context_.startDir, PathFromQString(*chosen),
                               SystemDemoFileOperations())) {
    case DemoSaveResult::Saved:
        break;
    case DemoSaveResult::NoRecording:
        context_.prompter.Inform(
            QString("No demo was recorded, so nothing was saved to %1.").arg(target));
        break;
    case DemoSaveResult::CopyFailed:
        context_.prompter.Inform(
            QString("The demo could not be saved to %1. The recording stays in %2.")
                .arg(target, kRecordedDemoName));
        break;
    }
    demoBrowser_->ReadFileList();
}

void TMain::RecordDemoClick(bool ticked) {
    for (QWidget* control :
         {static_cast<QWidget*>(DemoName), static_cast<QWidget*>(DemoFileList),
          static_cast<QWidget*>(DemoDirList), static_cast<QWidget*>(DemoDriveBox),
          static_cast<QWidget*>(DemoDirLabel)}) {
        control->setEnabled(ticked);
    }
}

void TMain::SetMouseClick(bool ticked) {
    SmHorz->setEnabled(ticked);
    SMVert->setEnabled(ticked);
    Store(cfg_key::SetMouse, ticked ? "1" : "0", false);
    if (ticked) {
        SmHorzClick();
        SMVertClick();
    }
}

void TMain::SmHorzClick() {
    Store(cfg_key::SmHorz, SmHorz->text(), false);
}

void TMain::SMVertClick() {
    Store(cfg_key::SmVert, SMVert->text(), false);
}

void TMain::Button3Click() {
    PlayDemo(demoBrowser_->Directory(), PathFromQString(DemoName->text()),
             SystemDemoFileOperations(), [this] { RunProgram(context_, this, "VK.EXE", ""); });
}

std::filesystem::path TMain::DemoDirectory() const {
    return demoBrowser_->Directory();
}

void TMain::SetDemoDirectory(const std::filesystem::path& directory) {
    demoBrowser_->SetDirectory(directory);
}

void TMain::ConnectModemDetection() {
    connect(Button6, &QPushButton::clicked, this, &TMain::Button6Click);
}

void TMain::Button6Click() {
    TSelectModem& dialog = *forms_.SelectModem;
    dialog.SetApplyHandler([this](const DetectedModem& modem) { ApplyDetectedModem(modem); });
    dialog.ListInstalledModems(context_.openModems ? context_.openModems() : nullptr);
    dialog.exec();
}

// The lists are set directly, so the port's own handling (the UART and IRQ boxes and
// their keys) stays out of it; Init's change handler runs, and the stores come last.
void TMain::ApplyDetectedModem(const DetectedModem& modem) {
    ComPort->setCurrentIndex(modem.comPortIndex);
    const bool suggestion = context_.prompter.AskYesNo(FromBytes(kModemSuggestionQuestion));
    const ModemChoice choice = ChooseModemSettings(modem, suggestion);
    Init->setText(FromBytes(choice.init));
    BaudRate->setCurrentIndex(choice.baudRateIndex);
    StoreModemSettings(context_.store, ToBytes(Init->text()), ToBytes(BaudRate->currentText()),
                       ComPort->currentIndex());
}

// The four comm-driver starts.

void TMain::ConnectCommStarts() {
    connect(DialButton, &QPushButton::clicked, this, &TMain::DialButtonClick);
    connect(AnswerButton, &QPushButton::clicked, this, &TMain::AnswerButtonClick);
    connect(AlreadyButton, &QPushButton::clicked, this, &TMain::AlreadyButtonClick);
    connect(NetworkButton, &QPushButton::clicked, this, &TMain::NetworkButtonClick);
    connect(KaliButton, &QPushButton::clicked, this, &TMain::NetworkButtonClick);
}

CommitSettings TMain::GatherCommitSettings(ConnectionMode mode, const std::string& value) const {
    CommitSettings settings;
    settings.mode = mode;
    settings.value = value;
    settings.init = ToBytes(Init->text());
    settings.hangup = ToBytes(Hangup->text());
    settings.dialOut = ToBytes(DialOut->text());
    settings.useTone = UseTone->isChecked();
    settings.comPortIndex = ComPort->currentIndex();
    settings.irq = ToBytes(IRQ->text());
    settings.uart = ToBytes(Uart->text());
    settings.baudRate = ToBytes(BaudRate->currentText());
    settings.socket = forms_.NetNoPlayers->SocketText();
    return settings;
}

void TMain::StartCommDriver(ConnectionMode mode, const std::string& value, int launchMode,
                            const std::optional<InternetLink>& link) {
    try {
        ComposeCommitFile(context_.startDir, GatherCommitSettings(mode, value));
        Launch(launchMode, "COMMIT.EXE", link);
    } catch (const FileError& error) {
        context_.prompter.ShowError(QString::fromLocal8Bit(error.what()));
    }
}

bool TMain::CommDriverRunsInDosbox() const {
    const std::string program = SetMouse->isChecked() ? kMouseTweakProgram : "COMMIT.EXE";
    return context_.runner.Plan(GameCommandLine(context_.startDir, program, "")).throughDosbox;
}

bool TMain::ChooseLink(ConnectionMode mode, std::optional<InternetLink>& link) {
    if (!CommDriverRunsInDosbox()) {
        return true; // the driver reaches the others as the system lets it
    }
    link = AskInternetLink(context_.prompter, *forms_.Link, mode, ComPort->currentIndex());
    return link.has_value();
}

void TMain::DialButtonClick() {
    std::optional<InternetLink> link;
    if (!ChooseLink(ConnectionMode::Dial, link)) {
        return;
    }
    forms_.EditInfo->AcceptInternetAddresses(link.has_value());
    TDial& phonebook = *forms_.Dial;
    if (!phonebook.LoadPhonebook()) {
        return;
    }
    phonebook.exec();
    const std::string number = phonebook.ChosenNumber();
    if (number.empty()) {
        return;
    }
    hide();
    // Back in view after the driver ends, and after a failure once it is reported.
    const auto showAgain = qScopeGuard([this] { show(); });
    StartCommDriver(ConnectionMode::Dial, number, 2, link);
}

void TMain::AnswerButtonClick() {
    std::optional<InternetLink> link;
    if (ChooseLink(ConnectionMode::Answer, link)) {
        StartCommDriver(ConnectionMode::Answer, "", 3, link);
    }
}

void TMain::AlreadyButtonClick() {
    std::optional<InternetLink> link;
    if (ChooseLink(ConnectionMode::AlreadyConnected, link)) {
        StartCommDriver(ConnectionMode::AlreadyConnected, "", 4, link);
    }
}

void TMain::NetworkButtonClick() {
    TNetNoPlayers& players = *forms_.NetNoPlayers;
    players.SetSocketText(context_.store.CfgGet("SOCKETNUMBER"));
    if (players.exec() != QDialog::Accepted) {
        return;
    }
    std::optional<InternetLink> link;
    if (!ChooseLink(ConnectionMode::Network, link)) {
        return;
    }
    context_.store.CfgSet("SocketNumber", players.SocketText(), false);
    StartCommDriver(ConnectionMode::Network, std::to_string(players.PlayerCount()), 5, link);
}

// Combat macros.

void TMain::ConnectMacroPage() {
    connect(Button2, &QPushButton::clicked, this, &TMain::Button2Click);
}

void TMain::Button2Click() {
    const QList<QTreeWidgetItem*> selected = MacroList->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    QTreeWidgetItem* row = selected.front();
    TEditMacro& dialog = *forms_.EditMacro;
    dialog.SetMacroText(ToBytes(row->text(1)));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    // The number the row was filled with: the player may have renamed its caption.
    const int number = row->data(0, Qt::UserRole).toInt();
    row->setText(1, FromBytes(StoreMacro(context_.store, number, dialog.MacroText())));
}

} // namespace marloven
