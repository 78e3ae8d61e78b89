// Where the file chooser starts: the initial path split into a folder and a proposed file name,
// and the folder made absolute.
#pragma once

#include <functional>
#include <optional>

#include "runtime/text.h"

// File names of this many characters or more do not fit the chooser's name buffer.
constexpr size_t MAX_FILE_NAME_LENGTH = 260;

struct InitialPath {
  String folder;    // the text before the last "/"; empty when there is none
  String fileName;  // the text after it
};

// Splits the initial path at its last "/". None when the file name has MAX_FILE_NAME_LENGTH
// characters or more: the chooser is then not shown at all.
std::optional<InitialPath> SplitInitialPath(const String& path);

// The absolute folder the chooser opens in. An absolute folder stays as it is; an empty one is
// the current folder; a relative one is taken relative to the current folder, unless it does not
// exist there but does exist beside the program (so "data/songs" finds the songs folder however
// the program was started). currentFolder and programFolder are absolute, without trailing "/";
// an empty programFolder is not looked in.
String ChooseStartFolder(const String& folder, const String& currentFolder,
                         const String& programFolder,
                         const std::function<bool(const String&)>& isFolder);

// The same with the process's current folder and the file system.
String StartFolder(const String& folder, const String& programFolder);

// folder + "/" + fileName, with no doubled "/" when folder already ends with one.
String JoinPath(const String& folder, const String& fileName);
