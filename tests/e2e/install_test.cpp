// The monitor as installed (cmake --install into a staging folder, or the
// Debian package into /): the files an installation must have, and the
// program started by a user who may not write its folder, in a real X
// server. FENNOX_INSTALL_ROOT names the folder that holds usr/.
#include "control_points.h"
#include "first_start_file.h"
#include "run_program.h"
#include "x_session.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string InstallRoot() {
    const char* root = std::getenv("FENNOX_INSTALL_ROOT");
    if (!root || !*root)
        return "";
    std::string r = root;
    return r.back() == '/' ? r.substr(0, r.size() - 1) : r;
}

// Width and height from a PNG file's header; 0 when it is no PNG.
std::pair<int, int> PngSize(const std::string& path) {
    const std::string data = ReadFile(path);
    if (data.size() < 24 || data.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
        data.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    const auto at = [&](std::size_t p) {
        return (static_cast<unsigned char>(data[p]) << 24) |
               (static_cast<unsigned char>(data[p + 1]) << 16) |
               (static_cast<unsigned char>(data[p + 2]) << 8) |
               static_cast<unsigned char>(data[p + 3]);
    };
    return {static_cast<int>(at(16)), static_cast<int>(at(20))};
}

bool Executable(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0111);
}

const int Nobody = 65534;

// Runs a program as "nobody" (for a root test run); its exit status.
int AsNobody(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                    "--clear-groups", "--"};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram(all).ExitCode;
}

// A copy of the installed tree (usr/) at to, as an installation lies: the
// folders and programs anyone may enter and run, the other files anyone may
// read, all of it the copier's.
void CopyInstallation(const std::string& from, const std::string& to) {
    namespace fs = std::filesystem;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    const auto modeOf = [](const fs::path& p) {
        struct stat info {};
        ::lstat(p.c_str(), &info);
        if (S_ISLNK(info.st_mode))
            return -1;
        return S_ISDIR(info.st_mode) || (info.st_mode & S_IXUSR) ? 0755 : 0644;
    };
    ::chmod(to.c_str(), 0755);
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(to)) {
        const int mode = modeOf(e.path());
        if (mode >= 0)
            ::chmod(e.path().c_str(), static_cast<mode_t>(mode));
    }
}

struct Installed : ::testing::Test {
    std::string Root = InstallRoot();
    std::string Usr = Root + "/usr";

    void SetUp() override {
        if (Root.empty() && !std::getenv("FENNOX_INSTALL_ROOT"))
            GTEST_SKIP() << "FENNOX_INSTALL_ROOT is not set";
    }
};

} // namespace

TEST_F(Installed, ProgramsDesktopEntryIconsAndManualPages) {
    for (const char* program :
         {"fennox", "fennox-decode", "fennox-sim", "fennox-stats", "fennox-record"})
        EXPECT_TRUE(Executable(Usr + "/bin/" + program)) << program;

    const std::string desktop = Usr + "/share/applications/fennox.desktop";
    const TProgramResult check = RunProgram({"/usr/bin/desktop-file-validate", desktop});
    EXPECT_EQ(check.ExitCode, 0) << check.Out << check.Err;
    EXPECT_EQ(check.Out + check.Err, "") << "no warnings either";
    const std::string entry = ReadFile(desktop);
    EXPECT_NE(entry.find("\nExec=fennox\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=fennox\n"), std::string::npos) << entry;

    // The icon the entry names, in both forms the theme looks for.
    const std::string svg = ReadFile(Usr + "/share/icons/hicolor/scalable/apps/fennox.svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_EQ(PngSize(Usr + "/share/icons/hicolor/48x48/apps/fennox.png"), std::make_pair(48, 48));

    for (const char* page :
         {"fennox", "fennox-decode", "fennox-sim", "fennox-stats", "fennox-record"}) {
        const std::string path = Usr + "/share/man/man1/" + page + ".1.gz";
        const TProgramResult man =
            RunProgram({"/usr/bin/man", "-l", path}, "", {"MANPAGER=cat", "MANWIDTH=80"});
        EXPECT_EQ(man.ExitCode, 0) << path << man.Err;
        EXPECT_NE(man.Out.find("NAME"), std::string::npos) << path;
    }
}

// A user who may not write the program's folder: "Ende" stores the first
// start's settings, byte for byte, in ~/.config/fennox/, and nothing beside
// the program. The window shows the program's icon. Root may write any
// folder, so a root run starts the program as "nobody"; when nobody cannot
// reach the installation (the clone in a folder only root may enter, as
// root's home is), a copy of it in a folder nobody may enter stands in.
TEST_F(Installed, MonitorOfAUserWhoCannotWriteItsFolderStoresInTheUserFolder) {
    std::string bin = Usr + "/bin";
    const std::string work = TempPath("installed");
    const std::string home = work + "/home";
    const std::string runtime = work + "/runtime";
    std::filesystem::create_directories(home);
    std::filesystem::create_directories(runtime);
    ::chmod(work.c_str(), 0755);
    // The tests' own temporary folder is for this user only.
    ::chmod(std::filesystem::path(work).parent_path().c_str(), 0711);
    ::chmod(runtime.c_str(), 0700);
    std::vector<std::string> wrapper;
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::chown(home.c_str(), Nobody, Nobody), 0);
        ASSERT_EQ(::chown(runtime.c_str(), Nobody, Nobody), 0);
        wrapper = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
        if (AsNobody({"/usr/bin/test", "-x", bin + "/fennox"}) != 0) {
            std::cout << "nobody cannot reach " << bin << "; a copy of the installation in " << work
                      << "/usr stands in\n";
            CopyInstallation(Usr, work + "/usr");
            bin = work + "/usr/bin";
        }
        ASSERT_EQ(AsNobody({"/usr/bin/test", "-x", bin + "/fennox"}), 0) << bin;
        ASSERT_NE(AsNobody({"/usr/bin/test", "-w", bin}), 0) << "nobody may write " << bin;
    } else if (::access(bin.c_str(), W_OK) == 0) {
        // A staging folder of this user's: made read-only as an installed
        // one is.
        ASSERT_EQ(::chmod(bin.c_str(), 0555), 0);
    }
    ::unsetenv("XDG_CONFIG_HOME");

    TXSession x;
    {
        TMonitor monitor(x, work, bin + "/fennox", wrapper,
                         {"HOME=" + home, "XDG_RUNTIME_DIR=" + runtime});
        ::chmod(work.c_str(), 0777); // the program's messages are kept here
        monitor.Launch();
        const std::string icon = x.X({"/usr/bin/xprop", "-id", monitor.WindowId, "_NET_WM_ICON"});
        EXPECT_NE(icon.find("48 x 48"), std::string::npos) << icon.substr(0, 200);
        monitor.Click(BtnEnde.X, BtnEnde.Y);
        EXPECT_EQ(monitor.WaitEnd(), 0) << ReadFile(work + "/stderr.txt");
    }
    if (!asRoot)
        ::chmod(bin.c_str(), 0755);

    EXPECT_EQ(ReadFile(home + "/.config/fennox/fennox.ini"), FirstStartFile)
        << ReadFile(work + "/stderr.txt");
    struct stat info {};
    ASSERT_EQ(::stat((home + "/.config/fennox").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_FALSE(std::filesystem::exists(bin + "/fennox.ini"));
}
