// The glyph library: every picture is drawn here from rows of palette
// letters, so the library carries no image files and its pictures can be
// read (and changed) in the source. Disabled and pressed images of a strip
// are derived from the up image, as a button would show them.
#include "Ostrell.h"

#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/vcl/Bitmap.h"

namespace {

// The colours of the rows ($00BBGGRR). '.' is the background, which the
// bitmap's automatic transparency takes from the bottom-left pixel.
constexpr TColor kBackground = TColor(0x00FF00FF);  // fuchsia: in no picture
TColor PaletteColor(char letter) {
  switch (letter) {
    case '.': return kBackground;
    case 'K': return TColor(0x00000000);  // black
    case 'G': return TColor(0x00808080);  // grey
    case 'S': return TColor(0x00C0C0C0);  // silver
    case 'W': return TColor(0x00FFFFFF);  // white
    case 'R': return TColor(0x000000FF);  // red
    case 'M': return TColor(0x00000080);  // maroon
    case 'B': return TColor(0x00FF0000);  // blue
    case 'N': return TColor(0x00800000);  // navy
    case 'Y': return TColor(0x0000FFFF);  // yellow
    case 'O': return TColor(0x000080FF);  // orange (skin)
    case 'E': return TColor(0x00008000);  // green
    default: return clNone;
  }
}

constexpr int kGlyphSide = 16;
constexpr int kBoxSide = 13;
using TGlyphRows = std::array<std::string_view, kGlyphSide>;
using TBoxRows = std::array<std::string_view, kBoxSide>;

// Every row as long as the picture is high, and every letter one of the
// palette's (checked when the library is compiled).
constexpr std::string_view kPaletteLetters = ".KGSWRMBNYOE";
template <size_t N>
constexpr bool SquareRows(const std::array<std::string_view, N>& rows) {
  for (std::string_view row : rows) {
    if (row.size() != N) return false;
    for (char letter : row)
      if (kPaletteLetters.find(letter) == std::string_view::npos) return false;
  }
  return true;
}

// 8: lookup (a magnifier), the F2 buttons' default.
constexpr TGlyphRows kLookup = {
    "................",
    "....KKKK........",
    "..KKWWWWKK......",
    "..KWWSSWWK......",
    ".KWWSWWWWWK.....",
    ".KWSWWWWWWK.....",
    ".KWSWWWWWWK.....",
    ".KWWWWWWWWK.....",
    "..KWWWWWWK......",
    "..KKWWWWKKG.....",
    "....KKKKGKKG....",
    "..........KKKG..",
    "...........KKKG.",
    "............KKK.",
    ".............K..",
    "................",
};
static_assert(SquareRows(kLookup));

// 9: date (a calendar leaf with one day marked).
constexpr TGlyphRows kDate = {
    "................",
    "...K...K...K....",
    ".KKKKKKKKKKKKK..",
    ".KRRRRRRRRRRRK..",
    ".KRRRRRRRRRRRK..",
    ".KKKKKKKKKKKKK..",
    ".KWWGWWGWWGWWK..",
    ".KWWGWWGWWGWWK..",
    ".KGGGGGGGGGGGK..",
    ".KWWGWWGRRGWWK..",
    ".KWWGWWGRRGWWK..",
    ".KGGGGGGGGGGGK..",
    ".KWWGWWGWWGWWK..",
    ".KWWGWWGWWGWWK..",
    ".KKKKKKKKKKKKK..",
    "................",
};
static_assert(SquareRows(kDate));

// 47: delete one (a red cross).
constexpr TGlyphRows kDeleteOne = {
    "................",
    "................",
    "................",
    "...MR......MR...",
    "...RRR....RRR...",
    "....RRR..RRR....",
    ".....RRRRRR.....",
    "......RRRR......",
    "......RRRR......",
    ".....RRRRRR.....",
    "....RRR..RRR....",
    "...RRR....RRR...",
    "...RM......RM...",
    "................",
    "................",
    "................",
};
static_assert(SquareRows(kDeleteOne));

// 4: delete all (a list crossed out).
constexpr TGlyphRows kDeleteAll = {
    "................",
    ".KKKKKKKKKKK....",
    ".KWWWWWWWWWK....",
    ".KWGGGGGGGWK....",
    ".KWWWWWWWWWK....",
    ".KWGGGGGGGWK....",
    ".KWWWWWWMR....MR",
    ".KWGGGGGRRR..RRR",
    ".KWWWWWWWRRRRRR.",
    ".KWGGGGGGGRRRR..",
    ".KWWWWWWWWRRRR..",
    ".KWGGGGGGRRRRRR.",
    ".KWWWWWWRRR..RRR",
    ".KKKKKKKRM....RM",
    "................",
    "................",
};
static_assert(SquareRows(kDeleteAll));

// 39: list of choices (rows with ticks).
constexpr TGlyphRows kChoices = {
    "................",
    ".KKKKKKKKKKKKKK.",
    ".KWWWWWWWWWWWWK.",
    ".KWEWWWWWWWWWWK.",
    ".KEEWNNNNNNNNWK.",
    ".KWWWWWWWWWWWWK.",
    ".KWWWWWWWWWWWWK.",
    ".KWEWWWWWWWWWWK.",
    ".KEEWNNNNNNNNWK.",
    ".KWWWWWWWWWWWWK.",
    ".KWWWWWWWWWWWWK.",
    ".KWWWWWWWWWWWWK.",
    ".KWWWNNNNNNNNWK.",
    ".KWWWWWWWWWWWWK.",
    ".KKKKKKKKKKKKKK.",
    "................",
};
static_assert(SquareRows(kChoices));

// 61: partner lookup (a person with a magnifier).
constexpr TGlyphRows kPartner = {
    "................",
    "....KKKK........",
    "...KOOOOK.......",
    "...KOKOKK.......",
    "...KOOOOK.......",
    "....KOOK........",
    "..KKBBBBKK......",
    ".KBBBBBBBBK.....",
    ".KBBBBBBKKKK....",
    ".KBKBBBKWWWWK...",
    ".KBKBBKWWSWWWK..",
    ".KBKBBKWSWWWWK..",
    ".KKKKKKWWWWWWK..",
    ".......KWWWWKKK.",
    "........KKKK.KKK",
    ".............KK.",
};
static_assert(SquareRows(kPartner));

// The check box pictures: a sunken white box, with a tick when checked; a
// grey box with a grey tick when grayed.
constexpr TBoxRows kUnchecked = {
    "GGGGGGGGGGGGW",
    "GKKKKKKKKKKSW",
    "GKWWWWWWWWWSW",
    "GKWWWWWWWWWSW",
    "GKWWWWWWWWWSW",
    "GKWWWWWWWWWSW",
    "GKWWWWWWWWWSW",
    "GKWWWWWWWWWSW",
    "GKWWWWWWWWWSW",
    "GKWWWWWWWWWSW",
    "GKWWWWWWWWWSW",
    "GSSSSSSSSSSSW",
    "WWWWWWWWWWWWW",
};
static_assert(SquareRows(kUnchecked));
constexpr TBoxRows kChecked = {
    "GGGGGGGGGGGGW",
    "GKKKKKKKKKKSW",
    "GKWWWWWWWWWSW",
    "GKWWWWWWWKWSW",
    "GKWWWWWWKKWSW",
    "GKWKWWWKKKWSW",
    "GKWKKWKKKWWSW",
    "GKWKKKKKWWWSW",
    "GKWWKKKWWWWSW",
    "GKWWWKWWWWWSW",
    "GKWWWWWWWWWSW",
    "GSSSSSSSSSSSW",
    "WWWWWWWWWWWWW",
};
static_assert(SquareRows(kChecked));
constexpr TBoxRows kGrayed = {
    "GGGGGGGGGGGGW",
    "GKKKKKKKKKKSW",
    "GKSSSSSSSSSSW",
    "GKSSSSSSSGSSW",
    "GKSSSSSSGGSSW",
    "GKSGSSSGGGSSW",
    "GKSGGSGGGSSSW",
    "GKSGGGGGSSSSW",
    "GKSSGGGSSSSSW",
    "GKSSSGSSSSSSW",
    "GKSSSSSSSSSSW",
    "GSSSSSSSSSSSW",
    "WWWWWWWWWWWWW",
};
static_assert(SquareRows(kGrayed));

// The images a strip is made of, left to right.
enum class TImageKind { Up, Disabled, Pressed };

struct TGlyphEntry {
  int32_t Id;
  const TGlyphRows* Rows;
  std::vector<TImageKind> Strip;
};

const std::vector<TGlyphEntry>& Glyphs() {
  static const std::vector<TGlyphEntry> glyphs = {
      {4, &kDeleteAll, {TImageKind::Up, TImageKind::Disabled}},
      {8, &kLookup, {TImageKind::Up}},
      {9, &kDate, {TImageKind::Up}},
      {39, &kChoices, {TImageKind::Up, TImageKind::Disabled, TImageKind::Pressed}},
      {47, &kDeleteOne, {TImageKind::Up}},
      {61, &kPartner, {TImageKind::Up}},
  };
  return glyphs;
}

template <size_t N>
void DrawRows(TBitmap& image, int left, const std::array<std::string_view, N>& rows) {
  for (int y = 0; y < static_cast<int>(N); ++y)
    for (int x = 0; x < static_cast<int>(N); ++x) image.SetPixel(left + x, y, PaletteColor(rows[y][x]));
}

// The disabled image: the shape in grey with a white edge below and right
// of it, the background kept.
void DrawDisabled(TBitmap& image, int left, const TGlyphRows& rows) {
  auto inShape = [&rows](int x, int y) {
    return x >= 0 && y >= 0 && x < kGlyphSide && y < kGlyphSide && rows[y][x] != '.';
  };
  for (int y = 0; y < kGlyphSide; ++y)
    for (int x = 0; x < kGlyphSide; ++x) {
      TColor color = kBackground;
      if (inShape(x, y))
        color = PaletteColor('G');
      else if (inShape(x - 1, y - 1))
        color = PaletteColor('W');
      image.SetPixel(left + x, y, color);
    }
}

// The pressed image: the up image one pixel right and down.
void DrawPressed(TBitmap& image, int left, const TGlyphRows& rows) {
  for (int y = 0; y < kGlyphSide; ++y)
    for (int x = 0; x < kGlyphSide; ++x) {
      const char letter = x > 0 && y > 0 ? rows[y - 1][x - 1] : '.';
      image.SetPixel(left + x, y, PaletteColor(letter));
    }
}

// The picture is drawn on a bitmap of the library's own and handed over in
// one Assign, so the caller's bitmap changes once, or not at all.
void Deliver(void* target, const TBitmap& picture) {
  TBitmap& bitmap = *static_cast<TBitmap*>(target);
  bitmap.Assign(&picture);
}

int32_t Guarded(void (*work)(const void*, void*), const void* what, void* bitmap) {
  try {
    work(what, bitmap);
    return OSTRELL_LOADED;
  } catch (...) {
    return OSTRELL_E_INTERNAL;
  }
}

void LoadGlyph(const void* what, void* bitmap) {
  const TGlyphEntry& entry = *static_cast<const TGlyphEntry*>(what);
  TBitmap picture;
  picture.SetSize(kGlyphSide * static_cast<int>(entry.Strip.size()), kGlyphSide);
  int left = 0;
  for (TImageKind kind : entry.Strip) {
    switch (kind) {
      case TImageKind::Up: DrawRows(picture, left, *entry.Rows); break;
      case TImageKind::Disabled: DrawDisabled(picture, left, *entry.Rows); break;
      case TImageKind::Pressed: DrawPressed(picture, left, *entry.Rows); break;
    }
    left += kGlyphSide;
  }
  Deliver(bitmap, picture);
}

void LoadBox(const void* what, void* bitmap) {
  TBitmap picture;
  picture.SetSize(kBoxSide, kBoxSide);
  DrawRows(picture, 0, *static_cast<const TBoxRows*>(what));
  Deliver(bitmap, picture);
}

}  // namespace

extern "C" {

OSTRELL_API int32_t GetMaxBmpID(void) {
  int32_t max = 0;
  for (const TGlyphEntry& entry : Glyphs())
    if (entry.Id > max) max = entry.Id;
  return max;
}

OSTRELL_API int32_t LoadBmp(void* bitmap, int32_t id) {
  if (bitmap == nullptr) return OSTRELL_E_ARGUMENT;
  for (const TGlyphEntry& entry : Glyphs())
    if (entry.Id == id) return Guarded(&LoadGlyph, &entry, bitmap);
  return OSTRELL_ABSENT;
}

OSTRELL_API int32_t LoadNamedBmp(void* bitmap, const char* name) {
  if (bitmap == nullptr || name == nullptr) return OSTRELL_E_ARGUMENT;
  static const struct {
    const char* Name;
    const TBoxRows* Rows;
  } kBoxes[] = {{"CHECKED", &kChecked}, {"UNCHECKED", &kUnchecked}, {"GRAYED", &kGrayed}};
  for (const auto& box : kBoxes)
    if (std::strcmp(box.Name, name) == 0) return Guarded(&LoadBox, box.Rows, bitmap);
  return OSTRELL_ABSENT;
}

OSTRELL_API const char* OstrellErrorText(int32_t code) {
  switch (code) {
    case OSTRELL_LOADED: return "loaded";
    case OSTRELL_ABSENT: return "no such picture";
    case OSTRELL_E_ARGUMENT: return "a null bitmap or name";
    case OSTRELL_E_INTERNAL: return "the bitmap refused the picture";
    default: return "unknown code";
  }
}

}  // extern "C"
