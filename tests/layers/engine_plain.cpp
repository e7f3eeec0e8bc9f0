// Compiled as an engine would be, with what engines may use: this must build.
#include "engines/cleaning/junk_scan.h"
#include "core/run_context.h"
#include "core/utilities.h"
#include "platform/platform.h"

int ProbePlainEngine() { return 0; }
