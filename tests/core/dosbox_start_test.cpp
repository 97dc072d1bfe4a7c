// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/dosbox_start.h"

#include <gtest/gtest.h>

namespace marloven {
namespace {

TEST(DosboxStart, TheConfigurationMountsTheGameAndRunsTheProgramAsComposed) {
    DosboxStart start =
        MakeDosboxStart("/home/p/Velkaran 100%", "VK.EXE", "-nopred -dr$$MRV$$.DMO -x%1", false);
    // What a start with a link adds: a section of its own and a command before the game.
    start.settings.push_back({"serial", "serial1", "nullmodem port:5000"});
    start.settings.push_back({"sdl", "autolock", "false"});
    start.commandsBeforeProgram.push_back("ipxnet connect 127.0.0.1 213");
    // The player's own [autoexec] lines run before ours, which leave DOSBox.
    start.playersCommands = {"keyb gr"};

    EXPECT_EQ(DosCommandLine(start), "VK.EXE -nopred -dr$$MRV$$.DMO -x%1");
    EXPECT_EQ(DosboxConfiguration(start), "# Written by Marloven for one start of VK.EXE.\n"
                                          "\n[sdl]\nfullscreen=false\noutput=surface\n"
                                          "autolock=false\n"
                                          "\n[serial]\nserial1=nullmodem port:5000\n"
                                          "\n[autoexec]\n@echo off\nkeyb gr\n"
                                          "mount C \"/home/p/Velkaran 100%%\"\n"
                                          "C:\n"
                                          "ipxnet connect 127.0.0.1 213\n"
                                          "VK.EXE -nopred -dr$$MRV$$.DMO -x%%1\n"
                                          "exit\n");
    EXPECT_EQ(DosCommandLine(MakeDosboxStart("C:\\VK\\", "SETUP.EXE", "", true)), "SETUP.EXE");
    EXPECT_NE(DosboxConfiguration(MakeDosboxStart("C:\\VK\\", "SETUP.EXE", "", true))
                  .find("fullscreen=true\n"),
              std::string::npos);
}

TEST(DosboxStart, RefusesWhatDosboxWouldAlterRatherThanPassItChanged) {
    const auto refusal = [](std::string directory, std::string switches) {
        return DosboxRefusal(
            MakeDosboxStart(std::move(directory), "VK.EXE", std::move(switches), false));
    };
    // The tail is the blank and the switches: 125 characters of switches fill it.
    EXPECT_FALSE(refusal("/g", std::string(125, 'a')));
    ASSERT_TRUE(refusal("/g", std::string(126, 'a')));
    EXPECT_NE(refusal("/g", std::string(126, 'a'))->find("126 characters"), std::string::npos);
    EXPECT_FALSE(refusal("/g", ""));
    for (const char* redirected : {"-a <in", "-a >out", "-a|more"}) {
        ASSERT_TRUE(refusal("/g", redirected)) << redirected;
        EXPECT_NE(refusal("/g", redirected)->find("redirection"), std::string::npos);
    }
    ASSERT_TRUE(refusal("/g", "-a\r\nexit"));
    EXPECT_NE(refusal("/g", "-a\r\nexit")->find("line break"), std::string::npos);
    ASSERT_TRUE(refusal("/home/p/\"quoted\"", "-nopred"));
    EXPECT_NE(refusal("/home/p/\"quoted\"", "-nopred")->find("/home/p/\"quoted\""),
              std::string::npos);
    EXPECT_TRUE(refusal("/home/p/two\nlines", ""));
    // DOSBox would drop the byte and mount another folder: "ctlx" for "ctl\x01x".
    for (const char* path : {"/home/p/ctl\x01x", "/home/p/tab\tbed", "/home/p/del\x7f"}) {
        ASSERT_TRUE(refusal(path, "")) << path;
        EXPECT_NE(refusal(path, "")->find("control character"), std::string::npos);
    }
    EXPECT_NE(refusal("/home/p/ctl\x01x", "")->find("(code 1)"), std::string::npos);
    EXPECT_FALSE(refusal("/home/p/caf\xe9 100% ~!", ""));
}

TEST(DosboxStart, ThePlayersOwnConfigurationComesAfterOursSoItWins) {
    EXPECT_EQ(DosboxArguments("/tmp/x/marloven.conf", ""),
              (std::vector<std::string>{"-conf", "/tmp/x/marloven.conf"}));
    EXPECT_EQ(
        DosboxArguments("/tmp/x/marloven.conf", "/home/p/my.conf"),
        (std::vector<std::string>{"-conf", "/tmp/x/marloven.conf", "-conf", "/home/p/my.conf"}));
}

} // namespace
} // namespace marloven
