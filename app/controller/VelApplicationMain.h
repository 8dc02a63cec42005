#pragma once

// The program entry of the Velmora application: the application object, the
// main interface file, the launch notifications and the event loop.

[[nodiscard]] int VelApplicationMain(int argc, char **argv);
