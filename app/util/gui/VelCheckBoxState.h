#pragma once

// Check-box state as a plain flag: on, or not on (off or mixed).

class QCheckBox;

// Checked when the flag is true, unchecked when it is false.
void setNSOnState(QCheckBox *checkBox, bool on);
// Whether the box is exactly checked; the mixed state is not on.
[[nodiscard]] bool isStateNSOnState(const QCheckBox *checkBox);
