// Compiled as an engine would be, with what engines may use: this must build.
#include "cleaning/wjqlline.h"
#include "core/engine.h"
#include "core/publline.h"
#include "platform/platform.h"

int ProbePlainEngine() { return 0; }
