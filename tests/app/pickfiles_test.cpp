// The shared open-file dialog of the three file-tool pages, answered while it
// shows: its title and filter per page, the folder it starts in, Cancel, and a
// chosen file.

#include "appfixture.h"

#include <commdlg.h>
#include <dlgs.h>

#include "core/text.h"
#include "support/testsupport.h"
#include "tools/wjfspage.h"
#include "tools/wjszpage.h"
#include "tools/yyszpage.h"

namespace wv::test {
namespace {

// What the dialog showed, and how the test answers it: the file typed into its
// name field, or Cancel when empty.
struct Answer {
  std::wstring pick;
  bool seen = false;
  int ticks = 0;
  std::wstring title, filter, folder;
};
Answer* pending = nullptr;

HWND FindDialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM out) -> BOOL {
        wchar_t cls[16] = {};
        GetClassNameW(h, cls, 16);
        if (std::wstring_view(cls) != L"#32770" || !IsWindowVisible(h)) return TRUE;
        *reinterpret_cast<HWND*>(out) = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::wstring ItemText(HWND dialog, int id) {
  HWND combo = GetDlgItem(dialog, id);
  const LRESULT n = SendMessageW(combo, CB_GETLBTEXTLEN, 0, 0);
  if (n == CB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(n));
  return text;
}

// Runs on the dialog's own message loop. Answers once; should the dialog still
// be there many ticks later, Cancel ends it so that a failure cannot hang the run.
void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindDialog();
  if (!dialog || !pending) return;
  Answer& a = *pending;
  HWND cancel = GetDlgItem(dialog, IDCANCEL);
  if (a.seen) {
    if (++a.ticks > 100) {
      KillTimer(nullptr, timer);
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
    }
    return;
  }
  a.seen = true;
  a.title = WindowText(dialog);
  a.filter = ItemText(dialog, cmb1);
  wchar_t folder[MAX_PATH] = {};
  SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
  a.folder = folder;
  if (a.pick.empty()) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
    return;
  }
  // The name field is an edit or, in the newer look, a combo box.
  SetDlgItemTextW(dialog, edt1, a.pick.c_str());
  SetDlgItemTextW(dialog, cmb13, a.pick.c_str());
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

using PickFilesTest = FormTest;

TEST_F(PickFilesTest, EachPageHasItsTitleAndFilterAndTheDialogReturnsToTheLastFolder) {
  TempFolder t(L"pick");
  // Choosing a file moves the process into its folder: come back before it goes.
  std::wstring home(MAX_PATH, L'\0');
  home.resize(GetCurrentDirectoryW(MAX_PATH, home.data()));
  struct Back {
    const std::wstring& folder;
    ~Back() { SetCurrentDirectoryW(folder.c_str()); }
  } back{home};
  const std::wstring file = t.file(L"chosen.mp3");
  const std::wstring none = L"C:\\left-alone";
  form->page<WjszPage>().wjsz_filelist = {none};
  form->page<WjfsPage>().wjfs_filelist = {none};
  form->page<YyszPage>().yysz_filelist = {none};
  struct Step {
    const wchar_t* key;
    std::vector<std::wstring>* list;
    std::wstring pick;
    const wchar_t* title;
    const wchar_t* filter;
    std::wstring folder;  // where the dialog starts
  };
  const Step steps[] = {
      {L"wjsz", &form->page<WjszPage>().wjsz_filelist, L"", L"请选择您要设置的文件...", L"所有格式", L"C:\\"},
      {L"wjsz", &form->page<WjszPage>().wjsz_filelist, file, L"请选择您要设置的文件...", L"所有格式", L"C:\\"},
      {L"wjfs", &form->page<WjfsPage>().wjfs_filelist, L"", L"请选择您要粉碎的文件...", L"所有格式", t.path() + L"\\"},
      {L"yysz", &form->page<YyszPage>().yysz_filelist, L"", L"请选择您要设置的音乐文件...", L"*.mp3;*.wma",
       t.path() + L"\\"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(std::wstring(s.key) + L" " + s.pick);
    Answer answer;
    answer.pick = s.pick;
    pending = &answer;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &AnswerDialog);
    const bool chosen = form->PickFiles(s.key);
    KillTimer(nullptr, timer);
    pending = nullptr;
    ASSERT_TRUE(answer.seen);
    EXPECT_EQ(answer.title, s.title);
    EXPECT_EQ(answer.filter, s.filter);
    EXPECT_TRUE(EqualsNoCase(IncludeTrailingBackslash(answer.folder), s.folder)) << answer.folder;
    EXPECT_EQ(chosen, !s.pick.empty());
    EXPECT_EQ(*s.list, s.pick.empty() ? std::vector<std::wstring>{none} : std::vector<std::wstring>{s.pick});
    if (chosen) *s.list = {none};
  }
  EXPECT_FALSE(form->PickFiles(L"qtrc")) << "no dialog for another page";
}

}  // namespace
}  // namespace wv::test
