// Velmora: the Services menu cleaner's window.

#include <controller/VelApplicationMain.h>

int main(int argc, char **argv)
{
    return VelApplicationMain(argc, argv);
}
