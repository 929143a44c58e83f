#pragma once
// Path helpers for the files the program keeps: the settings file next to the
// program and the data files. Paths are UTF-8 text; both '/' and '\' separate
// folders, so Windows paths are handled on every platform.
#include <cstdio>
#include <string>

namespace vornik {

// The path with the extension of its last component replaced (or added when
// it has none): ("D:\Meter\prog.exe", ".ini") gives "D:\Meter\prog.ini".
std::string ReplaceExtension(const std::string& path, const std::string& extension);

// The path without the extension of its last component.
std::string WithoutExtension(const std::string& path);

// The folder part of a path ("." for a bare name) and the last component.
std::string FolderOf(const std::string& path);
std::string FileNameOf(const std::string& path);

// Joins a folder and a name with the platform's separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// std::fopen for a UTF-8 path (on Windows through the wide-character API).
std::FILE* OpenFile(const std::string& path, const char* mode);

// True when a file can be created in the folder (checked by creating and
// removing a probe file, so read-only media and access rules count).
bool FolderWritable(const std::string& folder);

// The file an installer leaves beside the program it installed.
extern const char* const kInstalledMarkerName;

// True when the user's settings and data files belong beside the program:
// its folder is writable and no installer put it there (an installed
// program's folder is the installer's, and its uninstaller removes it).
bool ProgramFolderKeepsUserFiles(const std::string& programPath);

// The user's configuration folder: $XDG_CONFIG_HOME, else ~/.config
// (Windows: %APPDATA%). Empty when neither is known.
std::string UserConfigFolder();

// The user's home folder: $HOME (Windows: %USERPROFILE%). Empty when unknown.
std::string HomeFolder();

// Creates the folder and its parents; true when it exists afterwards.
bool MakeFolders(const std::string& folder);

}  // namespace vornik
