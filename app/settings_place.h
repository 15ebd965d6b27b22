// Where the settings file lives. Beside the program file comes first, as it
// always has: a portable folder, an unpacked zip and the build folder keep
// their file there. The folder of an installed program (/usr/bin,
// C:\Program Files\Fennox) takes no file from its user, and a file there
// could never be stored; such a user's file lives in the user's own
// configuration folder instead.
#pragma once

#include <string>

struct TSettingsPlace {
    // The settings file.
    std::string Path;
    // The user's configuration folder holding Path, to be created before
    // the first write; empty when the file is beside the program.
    std::string UserFolder;
};

// The settings file's name inside the user's configuration folder.
#ifdef _WIN32
constexpr const char* UserSettingsName = "Fennox.ini";
#else
constexpr const char* UserSettingsName = "fennox.ini";
#endif

// The user's configuration folder for this program: on Windows "Fennox" in
// the roaming application data folder (%APPDATA%); elsewhere "fennox" in
// $XDG_CONFIG_HOME when that is an absolute path, otherwise in ~/.config
// (the home folder from $HOME, or from the user database when HOME is not
// set). Empty when there is no such folder to be had.
std::string UserSettingsFolder();

// Whether this user may create files in folder (on Windows: a probe file is
// created there and deleted at once).
bool FolderTakesNewFiles(const std::string& folder);

// Beside the program file (SettingsFileName) when that file exists, a
// symbolic link included, or when the program's folder takes new files;
// otherwise in UserSettingsFolder(). Beside the program too when there is
// no user folder, so the failure to store shows as it always did.
TSettingsPlace ChooseSettingsPlace(const std::string& programPath);

// Creates folder with any missing parents (new folders for this user only,
// as configuration folders are). Throws std::runtime_error in German, like
// the window's other messages, naming the folder and the system's reason.
void CreateSettingsFolder(const std::string& folder);
