// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/demo_files.h"

#include "tests/support/game_dir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace marloven {
namespace {

namespace fs = std::filesystem;
using test::GameDir;

// The system's operations, with one kind that can be made to fail and a record of
// every operation asked for.
class ScriptedFiles : public DemoFileOperations {
  public:
    bool failCopy = false;
    bool failRenames = false;
    std::vector<std::string> log;

    bool Copy(const fs::path& from, const fs::path& to) override {
        log.push_back("copy " + from.filename().string() + " " + to.filename().string());
        return !failCopy && DemoFileOperations::Copy(from, to);
    }
    bool Rename(const fs::path& from, const fs::path& to) override {
        log.push_back("rename " + from.filename().string() + " " + to.filename().string());
        return !failRenames && DemoFileOperations::Rename(from, to);
    }
    bool Delete(const fs::path& path) override {
        log.push_back("delete " + path.filename().string());
        return DemoFileOperations::Delete(path);
    }
};

const std::string kRecording("VKDM\0\x01\xfe", 7); // a NUL and high bytes must survive

TEST(SaveRecordedDemo, CopiesTheRecordingThenDeletesIt) {
    GameDir dir({{"$$MRV$$.DMO", kRecording}, {"OLD.DMO", "an older, longer demo"}});
    ScriptedFiles files;
    EXPECT_EQ(SaveRecordedDemoTo(dir.Path(), dir / "OLD.DMO", files), DemoSaveResult::Saved);
    EXPECT_EQ(dir.Read("OLD.DMO"), kRecording);
    EXPECT_FALSE(dir.Exists("$$MRV$$.DMO"));
    EXPECT_EQ(files.log,
              (std::vector<std::string>{"copy $$MRV$$.DMO OLD.DMO", "delete $$MRV$$.DMO"}));
}

TEST(SaveRecordedDemo, KeepsTheOnlyCopyWhenTheCopyFails) {
    GameDir dir({{"$$MRV$$.DMO", kRecording}});
    ScriptedFiles full;
    full.failCopy = true; // a full disk
    EXPECT_EQ(SaveRecordedDemoTo(dir.Path(), dir / "MINE.DMO", full), DemoSaveResult::CopyFailed);
    ScriptedFiles system;
    EXPECT_EQ(SaveRecordedDemoTo(dir.Path(), dir / "no-such-dir" / "MINE.DMO", system),
              DemoSaveResult::CopyFailed);
    // Saving the recording onto itself must not delete it either.
    EXPECT_EQ(SaveRecordedDemoTo(dir.Path(), dir / "$$MRV$$.DMO", system),
              DemoSaveResult::CopyFailed);
    EXPECT_EQ(dir.Read("$$MRV$$.DMO"), kRecording);
    for (const auto& entry : system.log) {
        EXPECT_EQ(entry.rfind("delete", 0), std::string::npos) << entry;
    }
}

TEST(SaveRecordedDemo, WithoutARecordingNothingIsTouched) {
    GameDir dir({{"MINE.DMO", "mine"}});
    ScriptedFiles files;
    EXPECT_EQ(SaveRecordedDemoTo(dir.Path(), dir / "MINE.DMO", files), DemoSaveResult::NoRecording);
    EXPECT_EQ(dir.Read("MINE.DMO"), "mine");
    EXPECT_TRUE(files.log.empty());
}

// Plays name in dir, noting which demo the game would find while it runs.
std::string PlayAndSee(const GameDir& dir, const fs::path& name, DemoFileOperations& files,
                       bool* played = nullptr) {
    std::string seen = "no game";
    const bool ran = PlayDemo(dir.Path(), name, files, [&] {
        seen = dir.Exists("DEMO1.DMO") ? dir.Read("DEMO1.DMO") : "no DEMO1.DMO";
    });
    if (played != nullptr) {
        *played = ran;
    }
    return seen;
}

TEST(PlayDemo, PutsTheDemoInTheGamesPlaceAndEverythingBackAfter) {
    GameDir dir({{"DEMO1.DMO", "game's"}, {"MINE.DMO", "mine"}});
    ScriptedFiles files;
    EXPECT_EQ(PlayAndSee(dir, "MINE.DMO", files), "mine");
    EXPECT_EQ(dir.Read("DEMO1.DMO"), "game's");
    EXPECT_EQ(dir.Read("MINE.DMO"), "mine");
    EXPECT_FALSE(dir.Exists("DEMO1.$MV"));
}

TEST(PlayDemo, TheGamesOwnDemoPlaysNothingAndComesBack) {
    GameDir dir({{"DEMO1.DMO", "game's"}});
    ScriptedFiles files;
    EXPECT_EQ(PlayAndSee(dir, "DEMO1.DMO", files), "no DEMO1.DMO");
    EXPECT_EQ(dir.Read("DEMO1.DMO"), "game's");
    EXPECT_FALSE(dir.Exists("DEMO1.$MV"));
    // Where names ignore case (Windows) another spelling is the same file, and it must
    // come back all the same.
    PlayAndSee(dir, "demo1.dmo", files);
    EXPECT_EQ(dir.Read("DEMO1.DMO"), "game's");
    EXPECT_FALSE(dir.Exists("DEMO1.$MV"));
}

TEST(PlayDemo, AnOldBackupIsReplacedByTheGamesDemo) {
    GameDir dir({{"DEMO1.DMO", "game's"}, {"DEMO1.$MV", "stale"}, {"MINE.DMO", "mine"}});
    ScriptedFiles files;
    EXPECT_EQ(PlayAndSee(dir, "MINE.DMO", files), "mine");
    EXPECT_EQ(dir.Read("DEMO1.DMO"), "game's");
    EXPECT_FALSE(dir.Exists("DEMO1.$MV"));
    EXPECT_EQ(dir.Read("MINE.DMO"), "mine");
}

TEST(PlayDemo, WithoutAGameDemoNoDemo1IsLeftBehind) {
    GameDir dir({{"MINE.DMO", "mine"}});
    ScriptedFiles files;
    EXPECT_EQ(PlayAndSee(dir, "MINE.DMO", files), "mine");
    EXPECT_EQ(dir.Read("MINE.DMO"), "mine");
    EXPECT_FALSE(dir.Exists("DEMO1.DMO"));
    EXPECT_FALSE(dir.Exists("DEMO1.$MV"));
}

TEST(PlayDemo, AMaskOrAMissingNameDoesNothing) {
    GameDir dir({{"DEMO1.DMO", "game's"}, {"MINE.DMO", "mine"}});
    fs::create_directory(dir / "FOLDER.DMO");
    for (const char* name : {"*.dmo", "M?NE.DMO", "GONE.DMO", "", "FOLDER.DMO"}) {
        ScriptedFiles files;
        bool played = true;
        EXPECT_EQ(PlayAndSee(dir, name, files, &played), "no game") << name;
        EXPECT_FALSE(played) << name;
        EXPECT_TRUE(files.log.empty()) << name;
    }
}

TEST(PlayDemo, AFullPathIsUsedAsItStandsWhileTheRenamesStayInTheDirectory) {
    GameDir dir({{"DEMO1.DMO", "game's"}});
    GameDir elsewhere({{"FAR.DMO", "far"}});
    ScriptedFiles files;
    // The rename across directories may or may not succeed; either way both come back.
    PlayAndSee(dir, elsewhere / "FAR.DMO", files);
    EXPECT_EQ(elsewhere.Read("FAR.DMO"), "far");
    EXPECT_EQ(dir.Read("DEMO1.DMO"), "game's");
    EXPECT_FALSE(dir.Exists("DEMO1.$MV"));
}

TEST(PlayDemo, FailedRenamesAreIgnoredAndTheGameStillRuns) {
    GameDir dir({{"DEMO1.DMO", "game's"}, {"MINE.DMO", "mine"}});
    ScriptedFiles files;
    files.failRenames = true;
    EXPECT_EQ(PlayAndSee(dir, "MINE.DMO", files), "game's");
    EXPECT_EQ(files.log,
              (std::vector<std::string>{"rename DEMO1.DMO DEMO1.$MV", "rename MINE.DMO DEMO1.DMO",
                                        "rename DEMO1.DMO MINE.DMO"}));
    EXPECT_EQ(dir.Read("DEMO1.DMO"), "game's");
    EXPECT_EQ(dir.Read("MINE.DMO"), "mine");
}

TEST(PlayDemo, PlayingTheBackupsNameNeverDeletesIt) {
    GameDir dir({{"DEMO1.DMO", "game's"}, {"DEMO1.$MV", "typed by the player"}});
    ScriptedFiles files;
    EXPECT_EQ(PlayAndSee(dir, "DEMO1.$MV", files), "game's");
    EXPECT_EQ(dir.Read("DEMO1.$MV"), "typed by the player");
    EXPECT_EQ(dir.Read("DEMO1.DMO"), "game's");
}

} // namespace
} // namespace marloven
