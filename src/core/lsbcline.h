#pragma once
// The settings store: the user's choices between runs, in Config.ini beside the
// program. Read once while the main window is created, written once when it closes.

namespace wv {

class Tfrmmain;

void LoadSettings(Tfrmmain& form);
void SaveSettings(Tfrmmain& form);

}  // namespace wv
