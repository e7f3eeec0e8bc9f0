#pragma once
// The installed-software page (rjqltab): the uninstall list with a filter, and
// uninstall, delete-record and web-address buttons.

#include <vector>

#include "app/page.h"
#include "engines/cleaning/installed_software.h"
#include "platform/handles.h"

namespace wv {

class SoftwarePage : public Page {
 public:
  explicit SoftwarePage(MainWindow& form);

  ListView rjql_showlist;
  ComboBox rjql_showtype;
  Button rjql_sx;
  Button rjql_xz;
  Button rjql_sc;
  Button rjql_wz;
  // The list's own pictures: the default picture, then each program's icon, 16 x 16.
  UniqueImageList rjql_images;

  void initialise() override;
  // Opening the page reads the software list when it is empty.
  void activated() override;
  void fitColumns() override;
  // Config.ini (app/pagesettings.cpp).
  void loadSettings(SettingsFile& file) override;
  void saveSettings(std::vector<SettingsSection>& sections) override;

  void rjql_sxClick();
  void rjql_xzClick();
  void rjql_scClick();
  void rjql_wzClick();
  void rjql_showlistSelectItem();
  void rjql_showlistColumnClick(int column);

  // The registration a list row was read from (rows keep its index however they are sorted).
  [[nodiscard]] const SoftwareRow* registrationOf(int row) const;

 protected:
  void build() override;
  void layout(int width, int height) override;

 private:
  void resetImages();
  void writeHeader();

  std::vector<SoftwareRow> rjql_registrations;
};

// The first column's header: its name and the number of rows.
std::wstring SoftwareHeader(int rows);

}  // namespace wv
