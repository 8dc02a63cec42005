#pragma once

// The system beep, the only signal of some failures. Beeps are counted so
// that callers can be observed.

void VelBeep();
[[nodiscard]] int VelBeepCount();
