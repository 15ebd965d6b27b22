// Files, folders and the environment for the settings and window tests: a
// fresh folder per test, whole-file reading and writing, another user, and
// an environment variable set for one test.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <sys/stat.h>
#ifdef _WIN32
#include <filesystem>
#include <windows.h>
#else
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#ifdef _WIN32
// A fresh folder per test, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder() {
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (unsigned n = 0;; ++n) {
            const std::filesystem::path candidate =
                base /
                ("fennox_ini_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(n));
            if (CreateDirectoryA(candidate.string().c_str(), nullptr)) {
                Path = candidate.generic_string();
                return;
            }
            if (GetLastError() != ERROR_ALREADY_EXISTS || n == 1000)
                throw std::runtime_error("CreateDirectoryA failed");
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        // A read-only file would stop the removal.
        std::error_code error;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Path, error))
            SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(Path, error);
    }

    std::string File(const std::string& name) const { return Path + "/" + name; }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(Path, error))
            names.push_back(entry.path().filename().string());
        return names;
    }

    std::string Path;
};

inline int MakeFolder(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) ? 0 : -1;
}

// The reason the C runtime gives for opening a folder, where POSIX has one
// of its own.
constexpr int OpenFolderError = EACCES;
#else
// A fresh folder per test, removed with everything in it afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = ::testing::TempDir() + "fennox_ini_XXXXXX";
        if (::mkdtemp(&pattern[0]) == nullptr)
            throw std::runtime_error(std::string("mkdtemp: ") + std::strerror(errno));
        Path = pattern;
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() { RemoveTree(Path); }

    std::string File(const std::string& name) const { return Path + "/" + name; }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        DIR* dir = ::opendir(Path.c_str());
        if (dir == nullptr)
            return names;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
        return names;
    }

    std::string Path;

private:
    static void RemoveTree(const std::string& path) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0)
            return;
        if (S_ISDIR(info.st_mode)) {
            if (DIR* dir = ::opendir(path.c_str())) {
                std::vector<std::string> names;
                while (const dirent* entry = ::readdir(dir)) {
                    const std::string name = entry->d_name;
                    if (name != "." && name != "..")
                        names.push_back(name);
                }
                ::closedir(dir);
                for (const std::string& name : names)
                    RemoveTree(path + "/" + name);
            }
            ::rmdir(path.c_str());
        } else {
            ::unlink(path.c_str());
        }
    }
};

inline int MakeFolder(const std::string& path) {
    return ::mkdir(path.c_str(), 0755);
}

constexpr int OpenFolderError = EISDIR;
#endif

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

#ifndef _WIN32
// Runs step in a child process as a user who may not create files in a
// folder without write permission: this user, or "nobody" when the tests run
// as root (who may create files anywhere). The child's exit status: step's
// result, or 3 when the user could not be changed.
inline int RunAsOrdinaryUser(const std::function<int()>& step) {
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        int result = 1;
        try {
            result = step();
        } catch (...) {
        }
        ::_exit(result);
    }
    int status = -1;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
#endif

#ifndef _WIN32
// Sets (or with nullopt removes) an environment variable for one test and
// puts the old value back afterwards.
class TScopedEnv {
public:
    TScopedEnv(const char* name, const std::optional<std::string>& value) : Name(name) {
        if (const char* old = std::getenv(name))
            Old = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~TScopedEnv() {
        if (Old)
            ::setenv(Name, Old->c_str(), 1);
        else
            ::unsetenv(Name);
    }
    TScopedEnv(const TScopedEnv&) = delete;
    TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
    const char* Name;
    std::optional<std::string> Old;
};
#endif
