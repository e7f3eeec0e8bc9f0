#include "core/lsbcline.h"

namespace wv {

// The settings store's entry points; the store itself is still to be written.
void LoadSettings(Tfrmmain& form) { (void)form; }

void SaveSettings(Tfrmmain& form) { (void)form; }

}  // namespace wv
