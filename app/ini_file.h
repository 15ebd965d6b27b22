// The settings file as an in-memory INI document: the window loads it, reads
// or changes entries, and saves it whole. Plain C++ so the rules of reading and
// writing can be tested without a window.
//
// Reading rules (Parse):
// - A line whose first non-blank character is "[" and that holds a "]" opens
//   the section named between them; blanks around the name are dropped, and
//   whatever follows the "]" is ignored ("[SETTINGS] ; main").
// - A UTF-8 byte-order mark at the start of the text is ignored.
// - Inside a section, a line holding "=" is an entry: the key is the text
//   before the first "=", the value the text after it, both without their
//   surrounding blanks. A line whose key would be empty is not an entry.
// - Dropped on reading and so never written back: lines before the first
//   section, lines beginning with ";" (after leading blanks), empty lines and
//   any other line inside a section that is not an entry.
// - Blanks are spaces and tabs. Lines end with LF or CR LF.
// - Section names and keys match without regard to ASCII letter case.
// - A section name that appears again continues the first section of that
//   name: its entries are read as part of it and written back at its end.
// - A key repeated within a section keeps its lines; the first one is read and
//   is the one a write changes.
//
// Writing rules (Text, Save): each section's line "[name]", its entries as
// "key=value" without blanks, then one empty line; every line ends in CR LF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class TIniFile {
public:
    // One "key=value" line of a section, in the form in which it is written.
    struct TEntry {
        std::string Key;
        std::string Value;
    };

    // Reads the file at path. A file that does not exist (a path through a
    // file included) gives an empty document; one that exists but cannot be
    // opened or read throws std::runtime_error naming the file and the
    // system's reason.
    static TIniFile Load(const std::string& path);

    // Reads a document from its text (the rules above).
    static TIniFile Parse(const std::string& text);

    // The value of key in section, without its surrounding blanks, or
    // defaultValue when the section or the key is missing.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;

    // The value read as an integer (decimal with optional sign, or hexadecimal
    // after "$", "x" or "0x" in either case, 32-bit range). A missing section
    // or key, or a value of any other form, gives defaultValue.
    int32_t ReadInteger(const std::string& section, const std::string& key,
                        int32_t defaultValue) const;

    // The entries of section in file order, each key once (its first line),
    // spelled as in the file. Empty when the section is missing.
    std::vector<TEntry> SectionEntries(const std::string& section) const;

    // Sets key in section to value in decimal. An existing entry keeps its
    // line and takes the key as spelled here; a new entry goes to the end of
    // its section; a new section goes to the end of the document.
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);

    // The whole document as written to the file (the writing rules above).
    std::string Text() const;

    // Writes Text() to path as every file that must not be left
    // half-written is written (atomic_file.h): a link is followed, a file
    // marked read-only or that this user may not write is left untouched,
    // the text takes the file's place whole through a temporary file (in a
    // folder that takes no new file, a writable file is written in place).
    // On failure an existing file is left as it was, and std::runtime_error
    // names the file and the reason (in German, as the window).
    void Save(const std::string& path) const;

private:
    struct TSection {
        std::string Name;
        std::vector<TEntry> Entries;
    };

    // The name as matched: ASCII letters in lower case.
    static std::string FoldedName(const std::string& name);
    const TSection* FindSection(const std::string& name) const;
    TSection* FindSection(const std::string& name);
    TSection& AddSection(const std::string& name);

    std::vector<TSection> Sections;
    // Folded name to position in Sections: finding a section does not
    // search them all, so a large file reads in linear time.
    std::unordered_map<std::string, std::size_t> SectionIndex;
};

// The settings file's path for the program file at programPath: ".ini"
// appended when the file name (the part after the last "/") holds no dot,
// otherwise the last three characters of the path replaced by "ini", by
// position and whatever they are ("prog.ab" gives "progini").
std::string SettingsFileName(const std::string& programPath);

// The folder a path's last component lies in: "." for a bare name, the root
// for a name in it ("/", and on Windows "C:\"; "\" separates too).
std::string FolderOf(const std::string& path);
