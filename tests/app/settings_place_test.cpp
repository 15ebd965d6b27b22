#include "ini_file.h"
#include "settings_place.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

std::string CreateFailure(const std::string& folder) {
    try {
        CreateSettingsFolder(folder);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return std::string();
}

} // namespace

#ifdef _WIN32
TEST(UserSettingsFolder, IsFennoxInTheRoamingApplicationData) {
    const std::string folder = UserSettingsFolder();
    ASSERT_GT(folder.size(), 7u);
    EXPECT_EQ(folder.substr(folder.size() - 7), "\\Fennox");
    EXPECT_NE(folder.find("AppData\\Roaming"), std::string::npos) << folder;
}
#else
TEST(UserSettingsFolder, FollowsXdgConfigHomeOrTheHomeFolder) {
    const struct {
        std::optional<std::string> Xdg, Home;
        std::string Folder;
    } cases[] = {
        {std::string("/x/conf"), std::string("/home/u"), "/x/conf/fennox"},
        // Unset, empty or relative: the default under the home folder.
        {std::nullopt, std::string("/home/u"), "/home/u/.config/fennox"},
        {std::string(""), std::string("/home/u"), "/home/u/.config/fennox"},
        {std::string("conf"), std::string("/home/u"), "/home/u/.config/fennox"},
        {std::nullopt, std::string("/home/u/"), "/home/u/.config/fennox"},
    };
    for (const auto& c : cases) {
        TScopedEnv xdg("XDG_CONFIG_HOME", c.Xdg);
        TScopedEnv home("HOME", c.Home);
        EXPECT_EQ(UserSettingsFolder(), c.Folder) << c.Xdg.value_or("(unset)");
    }
}

TEST(UserSettingsFolder, WithoutHomeTheUserDatabaseHasIt) {
    TScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
    TScopedEnv home("HOME", std::nullopt);
    const std::string folder = UserSettingsFolder();
    EXPECT_FALSE(folder.empty());
    EXPECT_EQ(folder.substr(folder.size() - 15), "/.config/fennox");
}
#endif

// The program file in a folder that does not exist takes no file there on
// either system: the file goes to the user's folder.
TEST(ChooseSettingsPlace, ProgramFolderThatTakesNoFileGivesTheUserFolder) {
    TempFolder folder;
#ifndef _WIN32
    TScopedEnv xdg("XDG_CONFIG_HOME", folder.File("config"));
#endif
    const TSettingsPlace place = ChooseSettingsPlace(folder.File("gone/bin/fennox"));
    EXPECT_EQ(place.UserFolder, UserSettingsFolder());
#ifdef _WIN32
    EXPECT_EQ(place.Path, UserSettingsFolder() + "\\Fennox.ini");
#else
    EXPECT_EQ(place.Path, folder.File("config/fennox/fennox.ini"));
#endif
}

TEST(ChooseSettingsPlace, WritableProgramFolderKeepsTheFileBesideTheProgram) {
    TempFolder folder;
    const TSettingsPlace place = ChooseSettingsPlace(folder.File("Fennox.exe"));
    EXPECT_EQ(place.Path, folder.File("Fennox.ini"));
    EXPECT_EQ(place.UserFolder, "");
    // Asking leaves nothing behind.
    EXPECT_TRUE(folder.Names().empty());
}

#ifndef _WIN32
// As a user who may not write the program's folder: the file beside the
// program still counts when it is there (a symbolic link too, even one to
// a file not yet made); without it the user's folder is chosen.
TEST(ChooseSettingsPlace, ReadOnlyProgramFolder) {
    TempFolder folder;
    ASSERT_EQ(::chmod(folder.Path.c_str(), 0755), 0); // the other user must see in
    ASSERT_EQ(MakeFolder(folder.File("bin")), 0);
    ASSERT_EQ(MakeFolder(folder.File("linked")), 0);
    WriteFile(folder.File("linked/fennox.ini"), "[A]\n");
    ASSERT_EQ(
        ::symlink(folder.File("linked/fennox.ini").c_str(), folder.File("bin/linked.ini").c_str()),
        0);
    ASSERT_EQ(
        ::symlink(folder.File("linked/none.ini").c_str(), folder.File("bin/dangling.ini").c_str()),
        0);
    WriteFile(folder.File("bin/present.ini"), "[A]\n");
    ASSERT_EQ(::chmod(folder.File("bin").c_str(), 0555), 0);
    TScopedEnv xdg("XDG_CONFIG_HOME", folder.File("config"));

    const struct {
        const char* Program;
        const char* Expected;
    } cases[] = {
        {"bin/fennox", "config/fennox/fennox.ini"},
        {"bin/present.exe", "bin/present.ini"},
        {"bin/linked.exe", "bin/linked.ini"},
        {"bin/dangling.exe", "bin/dangling.ini"},
    };
    for (const auto& c : cases) {
        const std::string program = folder.File(c.Program);
        const std::string expected = folder.File(c.Expected);
        const int status = RunAsOrdinaryUser(
            [&] { return ChooseSettingsPlace(program).Path == expected ? 0 : 1; });
        EXPECT_EQ(status, 0) << c.Program;
    }
    ::chmod(folder.File("bin").c_str(), 0755);
}

TEST(CreateSettingsFolder, MakesMissingParentsForThisUserOnly) {
    TempFolder folder;
    const std::string target = folder.File("a/b/fennox");
    CreateSettingsFolder(target);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(folder.File("a").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    // An existing folder is no failure.
    EXPECT_EQ(CreateFailure(target), "");
}
#endif

TEST(CreateSettingsFolder, AFileInTheWayIsAGermanErrorNamingTheFolder) {
    TempFolder folder;
    WriteFile(folder.File("config"), "not a folder");
    const std::string failure = CreateFailure(folder.File("config/fennox"));
    // The parent that could not be made is the one named.
    EXPECT_EQ(failure.rfind(
                  "Der Ordner \"" + folder.File("config") + "\" kann nicht angelegt werden: ", 0),
              0u)
        << failure;
    EXPECT_EQ(ReadFile(folder.File("config")), "not a folder");
}
