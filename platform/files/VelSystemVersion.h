#pragma once

// The version of the system on the Mac volume, coded as the Mac's version
// lookup codes it: binary-coded decimal 0x10MN for 10.M.N. Digits above 9
// are clamped to 9, and any later release reads as 0x1099 (10.10 or 11.2).

#include <QString>

#include <optional>

// "10.4.11" → 0x1049. None when the text is no version.
[[nodiscard]] std::optional<unsigned> VelSystemVersionCode(QStringView version);

// VELMORA_SYSTEM_VERSION when set, else the ProductVersion of the volume's
// System/Library/CoreServices/SystemVersion.plist; none when neither gives
// a version.
[[nodiscard]] std::optional<unsigned> VelLookUpSystemVersion();
