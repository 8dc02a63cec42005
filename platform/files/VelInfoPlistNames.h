#pragma once

// The names a bundle's information file may have inside its Contents folder,
// in the order the Mac's bundle code tries them. The first that exists
// (following links; a dangling link or a link loop does not exist) is the
// bundle's Info.plist. The application and TidyWorker share this list, so
// the file the catalogue reads is the only one the worker will replace.
// Header-only: TidyWorker links no platform code.

#include <array>
#include <string_view>

inline constexpr std::array<std::string_view, 4> kVelInfoPlistNames
    = {"Info.plist", "Info-MacOS.plist", "Info-macos.plist", "info.plist"};

// The only name under which a missing Info.plist may be created.
inline constexpr std::string_view kVelNewInfoPlistName = kVelInfoPlistNames[0];
