#pragma once

// Tests of the running system's version. The version is looked up once per
// process, on the first call of either test; when the lookup fails the
// version stays 10.2.0 and both tests answer false.

[[nodiscard]] bool VelSystemIsTigerOrNewer(); // 10.4 or later
[[nodiscard]] bool VelSystemIsLeopardOrNewer(); // 10.5 or later

// The version the tests use, coded 0x10MN (looks it up when not yet done).
[[nodiscard]] unsigned VelSystemVersion();

// Forgets the looked-up version, so that tests can look it up again.
void VelResetSystemVersionForTesting();
