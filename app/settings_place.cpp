#include "settings_place.h"

#include "ini_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <shlobj.h>
#include <windows.h>
#else
#include <pwd.h>
#endif

namespace {

#ifdef _WIN32
constexpr char Separator = '\\';
#else
constexpr char Separator = '/';
#endif

bool Exists(const std::string& path) {
#ifdef _WIN32
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
#else
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
#endif
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

#ifndef _WIN32
std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    const passwd* user = ::getpwuid(::getuid());
    return user && user->pw_dir ? user->pw_dir : "";
}
#endif

} // namespace

std::string UserSettingsFolder() {
#ifdef _WIN32
    char folder[MAX_PATH];
    if (SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK ||
        folder[0] == '\0')
        return std::string();
    return std::string(folder) + "\\Fennox";
#else
    // Only an absolute XDG_CONFIG_HOME counts; a relative one would put the
    // file wherever the program happens to be started.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return std::string(config) + "/fennox";
    const std::string home = HomeFolder();
    if (home.empty())
        return std::string();
    return home + (home.back() == '/' ? "" : "/") + ".config/fennox";
#endif
}

bool FolderTakesNewFiles(const std::string& folder) {
#ifdef _WIN32
    // Windows has no cheap question for this (the folder's access rights
    // decide, not its attributes), so one file is made and gone again.
    const std::string probe =
        folder + "\\Fennox.ini." + std::to_string(GetCurrentProcessId()) + ".probe";
    const HANDLE h = CreateFileA(
        probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(h);
    return true;
#else
    // The kernel's own answer for this user, read-only mounts included.
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
#endif
}

TSettingsPlace ChooseSettingsPlace(const std::string& programPath) {
    TSettingsPlace place;
    place.Path = SettingsFileName(programPath);
    if (Exists(place.Path) || FolderTakesNewFiles(FolderOf(programPath)))
        return place;
    const std::string folder = UserSettingsFolder();
    if (folder.empty())
        return place;
    place.Path = folder + Separator + UserSettingsName;
    place.UserFolder = folder;
    return place;
}

void CreateSettingsFolder(const std::string& folder) {
    if (folder.empty() || IsFolder(folder))
        return;
    const std::string parent = FolderOf(folder);
    if (parent != folder && parent != ".")
        CreateSettingsFolder(parent);
#ifdef _WIN32
    const int made = ::_mkdir(folder.c_str());
#else
    const int made = ::mkdir(folder.c_str(), 0700);
#endif
    if (made != 0 && !(errno == EEXIST && IsFolder(folder)))
        throw std::runtime_error("Der Ordner \"" + folder +
                                 "\" kann nicht angelegt werden: " + std::strerror(errno));
}
