// Compiled as an engine would be: including a window header must stop the build.
#include "cleaning/wjqlline.h"
#include "ui/listview.h"

int ProbeEngine() { return 0; }
