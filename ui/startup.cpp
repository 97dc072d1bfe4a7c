#include "ui/startup.h"

#include "core/cfg_store.h"
#include "core/file_ops.h"
#include "core/game_file.h"
#include "ui/_About.h"
#include "ui/_Dial.h"
#include "ui/_EditInfo.h"
#include "ui/_EditMacro.h"
#include "ui/_Hidden.h"
#include "ui/_Main.h"
#include "ui/_NetNoPlayers.h"
#include "ui/_ShowCFG.h"
#include "ui/app_context.h"
#include "ui/launch.h"
#include "ui/link_dialog.h"
#include "ui/modem_list.h"
#include "ui/prompter.h"

#include "platform/sound_player.h"

namespace marloven {

Forms::Forms() = default;
Forms::~Forms() = default;

std::unique_ptr<Forms> CreateForms(AppContext& context) {
    auto forms = std::make_unique<Forms>();
    forms->Main = std::make_unique<TMain>(context, *forms);
    forms->SelectModem = std::make_unique<TSelectModem>(context.prompter);
    forms->NetNoPlayers = std::make_unique<TNetNoPlayers>();
    forms->ShowCFG = std::make_unique<TShowCFG>(context.store);
    forms->AboutBox = std::make_unique<TAboutBox>();
    forms->EditInfo = std::make_unique<TEditInfo>();
    forms->My = std::make_unique<TMy>();
    forms->EditMacro = std::make_unique<TEditMacro>();
    forms->Dial = std::make_unique<TDial>(context.startDir, context.prompter, *forms->EditInfo);
    forms->Link = std::make_unique<LinkDialog>();
    return forms;
}

bool StartupChecks(AppContext& context, Forms& forms) {
    context.startDir = std::filesystem::current_path();
    while (!IsExistingFile(FindGameFile(context.startDir, CfgStore::kFileName))) {
        if (!context.prompter.AskYesNo("Velkaran's Configuration file was not found.  "
                                       "Do you wish to run setup?")) {
            return false;
        }
        RunProgram(context, forms.Main.get(), "SETUP.EXE", "");
    }
    return true;
}

bool StartLauncher(AppContext& context, Forms& forms) {
    if (!StartupChecks(context, forms)) {
        return false;
    }
    forms.Main->LoadSettings();
    context.sound.PlayAsync("SOUNDS.WAV");
    forms.Main->show();
    return true;
}

} // namespace marloven
