#pragma once
// The startup-items page (qdsztab): programs started at logon, from the startup
// folders and the Run keys, with refresh, delete and restore.

#include <vector>

#include "app/page.h"
#include "engines/cleaning/startup_items.h"

namespace wv {

class StartupPage : public Page {
 public:
  explicit StartupPage(MainWindow& form);

  ListView qdsz_showlist;
  Button qdsz_autosx;
  Button qdsz_autoseldel;
  Button qdsz_autohf;

  void initialise() override;
  void fitColumns() override;
  // Opening the page reads the startup items when the list is empty.
  void activated() override;

  // Reads the startup items again (the refresh button; the backup manager after a restore).
  void refreshList() { qdsz_autosxClick(); }
  void qdsz_autosxClick();
  void qdsz_autoseldelClick();
  void qdsz_autohfClick();
  void qdsz_showlistColumnClick(int column);

 protected:
  void build() override;
  void layout(int width, int height) override;

 private:
  void connectHandlers();
  void writeHeader();

  std::vector<StartupItem> items_;  // a row's state is its item's index here
};

}  // namespace wv
