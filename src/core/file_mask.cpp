// File-name masks: compiled once into a small program of one-character tokens and
// stars, with direct comparisons for the common shapes. Matching allocates nothing
// and backtracks only to the last star, so it is bounded by name length x mask length.
#include "core/utilities.h"

namespace wv {
namespace {

// A program word: the operation in the top byte, its operand below.
enum Op : std::uint32_t {
  kChar = 1u << 24,  // operand: the folded character
  kAny = 2u << 24,   // "?"
  kStar = 3u << 24,  // "*"
  kSet = 4u << 24,   // operand: range count, bit 23 negation; the ranges follow, lo << 16 | hi
};
constexpr std::uint32_t kOpMask = 0xFF000000u;
constexpr std::uint32_t kNegated = 1u << 23;
constexpr std::uint32_t kCountMask = 0x007FFFFFu;

// kFixed: no star, one token per character; kStarTail: one leading star, then such tokens.
enum Kind { kProgram, kExact, kEverything, kSuffix, kPrefix, kContains, kFixed, kStarTail };

inline wchar_t Fold(const wchar_t* upper, wchar_t ch) {
  if (ch < 0x80) return (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - 32) : ch;
  return upper[static_cast<std::size_t>(ch)];
}

// From the end backwards: names differ from a pattern soonest in their last characters.
inline bool FoldedEqual(const wchar_t* upper, std::wstring_view name, std::size_t at, const std::wstring& folded) {
  for (std::size_t k = folded.size(); k-- > 0;)
    if (Fold(upper, name[at + k]) != folded[k]) return false;
  return true;
}

inline bool FoldsToItself(const wchar_t* upper, const wchar_t* lower, wchar_t ch) {
  return upper[static_cast<std::size_t>(ch)] == ch && lower[static_cast<std::size_t>(ch)] == ch;
}

inline bool InRanges(const std::uint32_t* ranges, std::uint32_t count, wchar_t ch) {
  for (std::uint32_t r = 0; r < count; ++r) {
    const wchar_t lo = static_cast<wchar_t>(ranges[r] >> 16);
    const wchar_t hi = static_cast<wchar_t>(ranges[r] & 0xFFFF);
    if (ch >= lo && ch <= hi) return true;
  }
  return false;
}

// Whether the token at program[pc] takes ch, and the index of the next token.
bool Takes(const std::uint32_t* program, std::size_t pc, wchar_t ch, const wchar_t* upper, const wchar_t* lower,
           std::size_t& next) {
  const std::uint32_t word = program[pc];
  switch (word & kOpMask) {
    case kChar:
      next = pc + 1;
      return Fold(upper, ch) == static_cast<wchar_t>(word & 0xFFFF);
    case kAny:
      next = pc + 1;
      return true;
    case kSet: {
      const std::uint32_t count = word & kCountMask;
      next = pc + 1 + count;
      const std::uint32_t* ranges = program + pc + 1;
      // A letter is in the set when any of its cases is.
      const bool in = InRanges(ranges, count, ch) || InRanges(ranges, count, upper[static_cast<std::size_t>(ch)]) ||
                      InRanges(ranges, count, lower[static_cast<std::size_t>(ch)]);
      return in != ((word & kNegated) != 0);
    }
    default:
      next = pc + 1;
      return false;
  }
}

// Whether the star-free tokens from pc to the end take name from at on, one each.
bool TakesRun(const std::uint32_t* program, std::size_t pc, std::size_t end, std::wstring_view name, std::size_t at,
              const wchar_t* upper, const wchar_t* lower) {
  while (pc < end) {
    std::size_t next = pc;
    if (!Takes(program, pc, name[at], upper, lower, next)) return false;
    pc = next;
    ++at;
  }
  return true;
}

// Program words the token at word takes up: a set carries its ranges.
std::size_t TokenWidth(std::uint32_t word) { return 1 + ((word & kOpMask) == kSet ? (word & kCountMask) : 0); }

}  // namespace

std::wstring NormalizeMask(std::wstring_view mask) {
  if (mask.size() >= 3 && mask.substr(mask.size() - 3) == L"*.*") {
    std::wstring out(mask.substr(0, mask.size() - 3));
    out += L'*';
    return out;
  }
  return std::wstring(mask);
}

std::optional<FileMask> FileMask::Compile(std::wstring_view mask) {
  FileMask m;
  m.text_ = mask;
  const wchar_t* upper = UpperCaseTable();
  std::vector<std::uint32_t>& prog = m.program_;
  prog.reserve(mask.size() + 1);
  for (std::size_t i = 0; i < mask.size(); ++i) {
    const wchar_t ch = mask[i];
    if (ch == L'*') {
      if (prog.empty() || prog.back() != kStar) prog.push_back(kStar);  // runs of stars are one star
    } else if (ch == L'?') {
      prog.push_back(kAny);
    } else if (ch == L'[') {
      const std::size_t close = mask.find(L']', i + 1);
      if (close == std::wstring_view::npos) return std::nullopt;
      std::wstring_view body = mask.substr(i + 1, close - i - 1);
      std::uint32_t head = kSet;
      if (!body.empty() && body.front() == L'!') {
        head |= kNegated;
        body.remove_prefix(1);
      }
      const std::size_t headAt = prog.size();
      prog.push_back(head);
      std::uint32_t count = 0;
      for (std::size_t k = 0; k < body.size(); ++k) {
        wchar_t lo = body[k];
        wchar_t hi = lo;
        if (k + 2 < body.size() && body[k + 1] == L'-') {  // "a-z"; a "-" at either end is itself
          hi = body[k + 2];
          k += 2;
          if (hi < lo) std::swap(lo, hi);
        }
        prog.push_back(static_cast<std::uint32_t>(lo) << 16 | hi);
        ++count;
      }
      prog[headAt] |= count;
      i = close;
    } else {
      prog.push_back(kChar | Fold(upper, ch));
    }
  }

  std::size_t stars = 0;
  std::size_t lastToken = prog.size();
  for (std::size_t k = 0; k < prog.size(); k += TokenWidth(prog[k])) {
    if (prog[k] == kStar) ++stars;
    else ++m.minLength_;
    lastToken = k;
  }

  // Recognise the shapes that need no program: literal, "*", "*lit", "lit*", "*lit*".
  const auto isChar = [](std::uint32_t w) { return (w & kOpMask) == kChar; };
  std::size_t first = 0;
  std::size_t last = prog.size();
  const bool leadingStar = !prog.empty() && prog.front() == kStar;
  const bool trailingStar = prog.size() > (leadingStar ? 1u : 0u) && prog.back() == kStar;
  if (leadingStar) ++first;
  if (trailingStar) --last;
  bool literal = true;
  for (std::size_t k = first; k < last; ++k)
    if (!isChar(prog[k])) literal = false;
  if (literal) {
    for (std::size_t k = first; k < last; ++k) m.folded_ += static_cast<wchar_t>(prog[k] & 0xFFFF);
    if (!leadingStar && !trailingStar) m.kind_ = kExact;
    else if (m.folded_.empty()) m.kind_ = kEverything;
    else if (leadingStar && trailingStar) m.kind_ = kContains;
    else if (leadingStar) m.kind_ = kSuffix;
    else m.kind_ = kPrefix;
    m.literal_ = m.kind_ == kContains && FoldsToItself(upper, LowerCaseTable(), m.folded_[0]);
  } else {
    if (stars == 0) m.kind_ = kFixed;
    else if (stars == 1 && leadingStar) m.kind_ = kStarTail;
    else m.kind_ = kProgram;
  }
  if (lastToken < prog.size() && (prog[lastToken] & kOpMask) == kChar)
    m.lastChar_ = static_cast<wchar_t>(prog[lastToken] & 0xFFFF);
  return m;
}

bool FileMask::Matches(std::wstring_view name) const {
  const wchar_t* upper = UpperCaseTable();
  const std::size_t n = name.size();
  switch (kind_) {
    case kExact:
      return n == folded_.size() && FoldedEqual(upper, name, 0, folded_);
    case kEverything:
      return true;
    case kSuffix:
      return n >= folded_.size() && FoldedEqual(upper, name, n - folded_.size(), folded_);
    case kPrefix:
      return n >= folded_.size() && FoldedEqual(upper, name, 0, folded_);
    case kContains: {
      if (n < folded_.size()) return false;
      const wchar_t head = folded_[0];
      const std::size_t last = n - folded_.size();
      if (literal_) {  // the first character has no other case: let find() look for it
        for (std::size_t at = name.find(head); at <= last; at = name.find(head, at + 1))
          if (FoldedEqual(upper, name, at, folded_)) return true;
        return false;
      }
      for (std::size_t at = 0; at <= last; ++at)
        if (Fold(upper, name[at]) == head && FoldedEqual(upper, name, at, folded_)) return true;
      return false;
    }
    default:
      break;
  }
  if (n < minLength_) return false;
  if (lastChar_ && (n == 0 || Fold(upper, name[n - 1]) != lastChar_)) return false;
  const wchar_t* lower = LowerCaseTable();
  const std::uint32_t* prog = program_.data();
  const std::size_t end = program_.size();
  if (kind_ == kFixed) return n == minLength_ && TakesRun(prog, 0, end, name, 0, upper, lower);
  if (kind_ == kStarTail) return TakesRun(prog, 1, end, name, n - minLength_, upper, lower);

  std::size_t pc = 0;
  std::size_t i = 0;
  std::size_t starPc = end + 1;  // none yet
  std::size_t starI = 0;
  while (i < n) {
    if (pc < end) {
      if (prog[pc] == kStar) {
        starPc = ++pc;
        starI = i;
        continue;
      }
      std::size_t next = pc;
      if (Takes(prog, pc, name[i], upper, lower, next)) {
        pc = next;
        ++i;
        continue;
      }
    }
    // Give the last star one more character and retry from just after it.
    if (starPc > end) return false;
    pc = starPc;
    i = ++starI;
  }
  while (pc < end && prog[pc] == kStar) ++pc;
  return pc == end;
}

// What Compile refuses, checked without building the program: a "[" never closed.
bool IsValidMask(std::wstring_view mask) {
  for (std::size_t i = 0; i < mask.size(); ++i) {
    if (mask[i] != L'[') continue;
    const std::size_t close = mask.find(L']', i + 1);
    if (close == std::wstring_view::npos) return false;
    i = close;
  }
  return true;
}

bool MatchesMask(std::wstring_view name, std::wstring_view mask) {
  const std::optional<FileMask> m = FileMask::Compile(mask);
  return m && m->Matches(name);
}

}  // namespace wv
