#pragma once
// The startup-items page: programs started at logon, from the startup folders
// and the Run keys, with refresh, delete and restore.

#include <string>
#include <vector>

#include "app/page.h"
#include "engines/cleaning/startup_items.h"

namespace wv {

// The first column's caption: its name and the number of rows.
std::wstring StartupHeader(int rows);

struct StartupControls {
  ListView itemList;  // one ticked-or-not row per startup item
  Button refreshButton;
  Button deleteTickedButton;  // backs up and removes the ticked items
  Button restoreButton;       // opens the backup manager on the startup backups
  std::vector<StartupItem> items;  // a row's state is its item's index here
};

class StartupPage : public Page, private StartupControls {
  friend class PageTestAccess;
  using Controls = StartupControls;

 public:
  explicit StartupPage(MainWindow& form);

  void initialise() override;
  void fitColumns() override;
  // Opening the page reads the startup items when the list is empty.
  void activated() override;

  // Reads the startup items again (the refresh button; the backup manager after a restore).
  void refreshList();

 protected:
  void build() override;
  void layout(int width, int height) override;

 private:
  void onDeleteTickedClicked();
  void onRestoreClicked();
  void onColumnClicked(int column);

  void writeHeader();
};

}  // namespace wv
