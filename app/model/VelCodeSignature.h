#pragma once

// The code-signature test: runs the signature tool ("/usr/bin/codesign", or
// the tool named by VELMORA_CODESIGN) with "-d" and the bundle path. Where the
// tool is missing there is no answer, and every bundle counts as unsigned.

#include <QString>

#include <optional>

namespace VelCodeSignature {

// The tool's location, looked up once per process; none when it is missing.
[[nodiscard]] const std::optional<QString> &toolPath();

// Signed unless the tool's output says "not signed"; none without a tool.
[[nodiscard]] std::optional<bool> isSigned(const QString &bundlePath);

} // namespace VelCodeSignature
