#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "core/initline.h"
#include "core/publline.h"

namespace wv {
namespace {

TEST(NormalizeMask, OnlyAFinalStarDotStarIsShortened) {
  const struct {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"~*.*", L"~*"},      {L"*.*", L"*"},        {L"a*.*", L"a*"},   {L"**.*", L"**"},
      {L"chklist.*", L"chklist.*"}, {L"*.*x", L"*.*x"}, {L"*.", L"*."}, {L".*", L".*"},
      {L"", L""},            {L"*", L"*"},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeMask(c.in), c.out) << c.in;
  // What the shortening is for: a "~" name without a dot.
  EXPECT_FALSE(MatchesMask(L"~temp", L"~*.*"));
  EXPECT_TRUE(MatchesMask(L"~temp", NormalizeMask(L"~*.*")));
}

struct MaskCase {
  const wchar_t* mask;
  const wchar_t* name;
  bool matches;
};

TEST(FileMask, WholeNameMatching) {
  const MaskCase cases[] = {
      // common shapes
      {L"*.tmp", L"a.tmp", true},        {L"*.tmp", L"A.TMP", true},      {L"*.tmp", L".tmp", true},
      {L"*.tmp", L"a.tmp.txt", false},   {L"*.tmp", L"tmp", false},       {L"*.tmp", L"a.tm", false},
      {L"errorlog.txt", L"ErrorLog.TXT", true}, {L"errorlog.txt", L"errorlog.txt1", false},
      {L"errorlog.txt", L"xerrorlog.txt", false},
      {L"~*", L"~abc", true},            {L"~*", L"~", true},             {L"~*", L"a~", false},
      {L"chklist.*", L"CHKLIST.MS", true}, {L"chklist.*", L"chklist.", true}, {L"chklist.*", L"chklist", false},
      {L"*.~*", L"a.~b", true},          {L"*.~*", L"a.~", true},         {L"*.~*", L"a~.b", false},
      {L"*", L"", true},                 {L"*", L"anything.at.all", true}, {L"**", L"x", true},
      {L"", L"", true},                  {L"", L"a", false},
      // the catalogue's own examples
      {L"*.??$", L"x.ab$", true},        {L"*.??$", L"x.a$", false},      {L"*.??$", L"x.abc$", false},
      {L"*.??$", L"y.x.AB$", true},
      {L"0???????.nch", L"01234567.nch", true}, {L"0???????.nch", L"0ABCDEFG.NCH", true},
      {L"0???????.nch", L"0123456.nch", false}, {L"0???????.nch", L"11234567.nch", false},
      {L"0???????.nch", L"012345678.nch", false},
      {L"*.*", L"abc", false},           {L"*.*", L"a.b", true},
      {L"*.$$$", L"x.$$$", true},        {L"*.#Res", L"pic.#RES", true},  {L"*.---", L"setup.---", true},
      {L"Thumbs.db", L"THUMBS.DB", true},
      // stars and question marks in the middle
      {L"a*b*c", L"aXXbYYc", true},      {L"a*b*c", L"abcb", false},      {L"a*b*c", L"abc", true},
      {L"?", L"", false},                {L"?", L"x", true},              {L"??", L"x", false},
      {L"*x?", L"axbxc", true},          {L"*x?", L"axbx", false},
      // sets
      {L"[a-c]*.txt", L"b1.txt", true},  {L"[a-c]*.txt", L"B1.TXT", true}, {L"[a-c]*.txt", L"d1.txt", false},
      {L"[!a-c]*", L"d", true},          {L"[!a-c]*", L"a", false},       {L"[!a-c]*", L"C", false},
      {L"[!a-c]*", L"", false},          {L"[abc]", L"B", true},          {L"[abc]", L"ab", false},
      {L"[-a]", L"-", true},             {L"[a-]", L"-", true},           {L"[0-9][0-9].log", L"42.LOG", true},
      {L"[0-9][0-9].log", L"4x.log", false}, {L"[Z-a]", L"_", true},     {L"[Z-a]", L"z", true},
      {L"[z-a]", L"m", true},            {L"x[*?]", L"x*", true},         {L"x[*?]", L"xa", false},
      {L"a]", L"a]", true},              {L"[!]", L"q", true},            {L"[]", L"q", false},
      // letters of other scripts, and names the code page lacks
      {L"*.дат", L"Х.ДАТ", true},        {L"备份*", L"备份1.txt", true}, {L"É*", L"été", true},
      {L"*.txt", L"😀.txt", true},       {L"?.txt", L"\xD800.txt", true}, {L"*\xDC00", L"a\xDC00", true},
  };
  for (const MaskCase& c : cases) {
    const std::optional<FileMask> m = FileMask::Compile(c.mask);
    ASSERT_TRUE(m) << c.mask;
    EXPECT_EQ(m->Matches(c.name), c.matches) << L"mask " << c.mask << L" name " << c.name;
    EXPECT_EQ(m->text(), c.mask);
  }
}

TEST(FileMask, UnclosedSetIsInvalidAndMatchesNothing) {
  for (const wchar_t* bad : {L"[", L"[abc", L"*.[", L"a[!", L"[a-z]x[", L"x]["}) {
    EXPECT_FALSE(IsValidMask(bad)) << bad;
    EXPECT_FALSE(FileMask::Compile(bad).has_value()) << bad;
    EXPECT_FALSE(MatchesMask(L"[", bad)) << bad;
    EXPECT_FALSE(MatchesMask(L"abc", bad)) << bad;
  }
  for (const wchar_t* good : {L"*", L"[a]", L"]", L"[[]", L"x[!y]z", L""}) EXPECT_TRUE(IsValidMask(good)) << good;
}

// A plain recursive matcher to hold the fast paths against: tiny inputs only.
bool Reference(std::wstring_view mask, std::wstring_view name) {
  if (mask.empty()) return name.empty();
  if (mask[0] == L'*') {
    for (std::size_t k = 0; k <= name.size(); ++k)
      if (Reference(mask.substr(1), name.substr(k))) return true;
    return false;
  }
  if (name.empty()) return false;
  if (mask[0] == L'[') {
    const std::size_t close = mask.find(L']');
    std::wstring_view body = mask.substr(1, close - 1);
    const bool negate = !body.empty() && body[0] == L'!';
    if (negate) body.remove_prefix(1);
    const wchar_t variants[] = {name[0], FoldCase(name[0]), ToLower(std::wstring(1, name[0]))[0]};
    bool in = false;
    for (std::size_t k = 0; k < body.size(); ++k) {
      wchar_t lo = body[k], hi = body[k];
      if (k + 2 < body.size() && body[k + 1] == L'-') {
        hi = body[k + 2];
        k += 2;
        if (hi < lo) std::swap(lo, hi);
      }
      for (const wchar_t v : variants) in = in || (v >= lo && v <= hi);
    }
    return in != negate && Reference(mask.substr(close + 1), name.substr(1));
  }
  if (mask[0] != L'?' && FoldCase(mask[0]) != FoldCase(name[0])) return false;
  return Reference(mask.substr(1), name.substr(1));
}

TEST(FileMask, AgreesWithAPlainMatcherOnRandomNames) {
  std::vector<std::wstring> masks;
  for (const CatalogueRow& row : CatalogueRows(L"wjql")) masks.push_back(NormalizeMask(row.caption));
  for (const wchar_t* extra : {L"*a*", L"a*b", L"*.a?", L"?*?", L"[a-c]*[!.]", L"*~*.$*", L"a", L"*ab*ba*",
                               L"[!a]?.[0-9]", L"*[.]?", L"*.?"})
    masks.emplace_back(extra);
  const std::wstring alphabet = L"aAbB.~$#-0?c";
  std::mt19937 random(12345);
  for (int round = 0; round < 20000; ++round) {
    std::wstring name;
    const int length = static_cast<int>(random() % 9);
    for (int k = 0; k < length; ++k) name += alphabet[random() % alphabet.size()];
    // Sometimes aim at a catalogue shape so that matches are not all rare.
    if (round % 4 == 0) name += masks[random() % masks.size()].substr(1);
    for (const std::wstring& mask : masks) {
      const std::optional<FileMask> m = FileMask::Compile(mask);
      ASSERT_TRUE(m);
      ASSERT_EQ(m->Matches(name), Reference(mask, name)) << L"mask " << mask << L" name " << name;
    }
  }
}

TEST(FileMask, ManyStarsOnALongNameStayFast) {
  const std::wstring longName(32000, L'a');
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(MatchesMask(longName, L"*a*a*a*a*b"));
  EXPECT_TRUE(MatchesMask(longName + L"b", L"*a*a*a*a*b"));
  EXPECT_FALSE(MatchesMask(longName, L"*a?a*a?a*[b]*"));
  EXPECT_TRUE(MatchesMask(longName, L"*" + std::wstring(300, L'a')));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 1.0);
}

TEST(FileMask, OddInputNeverBreaksIt) {
  std::vector<std::wstring> inputs = {L"",
                                      L" ",
                                      L"\"",
                                      L"[",
                                      L"]",
                                      L"[!",
                                      L"[]",
                                      L"*?[!]",
                                      std::wstring(32000, L'*'),
                                      std::wstring(32000, L'?'),
                                      std::wstring(32000, L'['),
                                      L"[" + std::wstring(32000, L'-') + L"]",
                                      L"😀*\xD800[\xDC00-\xDFFF]",
                                      std::wstring(1, L'\0') + L"*"};
  for (const std::wstring& mask : inputs) {
    const std::optional<FileMask> m = FileMask::Compile(mask);
    for (const std::wstring& name : inputs)
      if (m) (void)m->Matches(name);
    (void)NormalizeMask(mask);
  }
  // Compiled from the text above: 32,000 question marks take exactly that many characters.
  EXPECT_TRUE(MatchesMask(std::wstring(32000, L'x'), std::wstring(32000, L'?')));
  EXPECT_FALSE(MatchesMask(std::wstring(31999, L'x'), std::wstring(32000, L'?')));
  EXPECT_TRUE(MatchesMask(L"-", L"[" + std::wstring(32000, L'-') + L"]"));
}

}  // namespace
}  // namespace wv
