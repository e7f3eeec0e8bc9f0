#pragma once
// The installed-software page: the uninstall list with a filter, and uninstall,
// delete-record and web-address buttons.

#include <string>
#include <vector>

#include "app/page.h"
#include "engines/cleaning/installed_software.h"
#include "platform/handles.h"

namespace wv {

// The first column's header: its name and the number of rows.
std::wstring SoftwareHeader(int rows);

struct SoftwareControls {
  ListView programList;  // one row per registration; a row's state is its index in registrations
  ComboBox filterCombo;  // by SoftwareFilter
  Button refreshButton;
  Button uninstallButton;
  Button deleteRecordButton;
  Button visitAddressButton;
  // The list's own pictures: the default picture, then each program's icon, 16 x 16.
  UniqueImageList programIcons;
  std::vector<SoftwareRow> registrations;
};

class SoftwarePage : public Page, private SoftwareControls {
  friend class PageTestAccess;
  using Controls = SoftwareControls;

 public:
  explicit SoftwarePage(MainWindow& form);

  void initialise() override;
  // Opening the page reads the software list when it is empty.
  void activated() override;
  void fitColumns() override;
  // Config.ini (pages/page_settings.cpp).
  void loadSettings(SettingsFile& file) override;
  void saveSettings(std::vector<SettingsSection>& sections) override;

 protected:
  void build() override;
  void layout(int width, int height) override;

 private:
  // Reads the list again (the refresh button, a change of the filter).
  void refresh();
  void onUninstallClicked();
  void onDeleteRecordClicked();
  void onVisitAddressClicked();
  void onProgramSelected();
  void onColumnClicked(int column);

  // The registration a list row was read from (rows keep its index however they are sorted).
  [[nodiscard]] const SoftwareRow* registrationOf(int row) const;
  void resetImages();
  void writeHeader();
};

}  // namespace wv
