// Compiled as an engine would be: including a window header must stop the build.
#include "engines/cleaning/junk_scan.h"
#include "ui/list_view.h"

int ProbeEngine() { return 0; }
