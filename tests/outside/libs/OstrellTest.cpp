// "Ostrell.dll" loaded by name, as the glyph buttons load it: the glyph
// numbers the forms use, with their strip shapes and a background the
// bitmap takes as transparent; derived disabled and pressed images; absent
// numbers and names leaving the bitmap alone; bad arguments; the check box
// pictures; and one change of the caller's bitmap per load.
#include "libs/Ostrell.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/vcl/Bitmap.h"
#include "platform/win/DynLib.h"

namespace {

class OstrellTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    Lib = new TDynLib("Ostrell.dll");
    ASSERT_TRUE(Lib->Loaded()) << Lib->Error();
    GetMax = Lib->ProcAs<TGetMaxBmpIDProc>("GetMaxBmpID");
    Load = Lib->ProcAs<TLoadBmpProc>("LoadBmp");
    LoadNamed = Lib->ProcAs<TLoadNamedBmpProc>("LoadNamedBmp");
    ErrorText = Lib->ProcAs<TOstrellErrorTextProc>("OstrellErrorText");
  }
  static void TearDownTestSuite() {
    delete Lib;
    Lib = nullptr;
  }

  static inline TDynLib* Lib = nullptr;
  static inline TGetMaxBmpIDProc GetMax = nullptr;
  static inline TLoadBmpProc Load = nullptr;
  static inline TLoadNamedBmpProc LoadNamed = nullptr;
  static inline TOstrellErrorTextProc ErrorText = nullptr;
};

constexpr TColor kBackground = TColor(0x00FF00FF);

// The pixels of one 16 x 16 image of a strip.
std::vector<TColor> Image(const TBitmap& bitmap, int index) {
  std::vector<TColor> pixels;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) pixels.push_back(bitmap.Pixel(index * 16 + x, y));
  return pixels;
}

// Guards against the library not being found by its Windows name or
// missing an entry point.
TEST_F(OstrellTest, LoadsByNameWithItsFunctions) {
  EXPECT_NE(GetModulePath(Lib->Handle()).find("/Ostrell.dll"), std::string::npos);
  EXPECT_NE(GetMax, nullptr);
  EXPECT_NE(Load, nullptr);
  EXPECT_NE(LoadNamed, nullptr);
  EXPECT_NE(ErrorText, nullptr);
  EXPECT_EQ(GetMax(), 61);
}

struct TGlyphRow {
  const char* Name;
  int32_t Id;
  int Images;
};

// Guards against a number the forms use missing, a strip of the wrong
// length (the buttons take width / height as the glyph count), a picture
// that is all background, and a background other than the bottom-left
// pixel (the button would paint it).
TEST_F(OstrellTest, GlyphsTheFormsUse) {
  const TGlyphRow rows[] = {{"DeleteAll", 4, 2},    {"Lookup", 8, 1},     {"Date", 9, 1},
                            {"Choices", 39, 3},     {"DeleteOne", 47, 1}, {"PartnerLookup", 61, 1}};
  std::set<std::vector<TColor>> seen;
  for (const TGlyphRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TBitmap bitmap;
    ASSERT_EQ(Load(&bitmap, row.Id), OSTRELL_LOADED);
    EXPECT_EQ(bitmap.Width(), 16 * row.Images);
    EXPECT_EQ(bitmap.Height(), 16);
    EXPECT_EQ(bitmap.TransparentColor(), kBackground);
    for (int i = 0; i < row.Images; ++i) {
      const std::vector<TColor> image = Image(bitmap, i);
      EXPECT_GT(std::count_if(image.begin(), image.end(), [](TColor c) { return c != kBackground; }), 20)
          << "image " << i << " is (nearly) empty";
    }
    EXPECT_TRUE(seen.insert(Image(bitmap, 0)).second) << "the same picture as another number";
  }
}

// Guards against a disabled image in colour (it must look greyed) and a
// pressed image that does not move.
TEST_F(OstrellTest, DerivedImagesOfAStrip) {
  TBitmap bitmap;
  ASSERT_EQ(Load(&bitmap, 39), OSTRELL_LOADED);
  const std::set<TColor> greyed = {kBackground, TColor(0x808080), TColor(0xFFFFFF)};
  for (TColor c : Image(bitmap, 1)) EXPECT_TRUE(greyed.count(c)) << "colour " << static_cast<int32_t>(c);
  for (int y = 1; y < 16; ++y)
    for (int x = 1; x < 16; ++x) ASSERT_EQ(bitmap.Pixel(32 + x, y), bitmap.Pixel(x - 1, y - 1)) << x << "," << y;
}

// Guards against an absent number or name touching the caller's bitmap,
// and against a crash on null arguments.
TEST_F(OstrellTest, AbsentAndBadArguments) {
  TBitmap bitmap;
  bitmap.SetSize(3, 2);
  for (int32_t id : {0, 5, 62, -1, INT32_MAX, INT32_MIN}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(Load(&bitmap, id), OSTRELL_ABSENT);
    EXPECT_EQ(bitmap.Width(), 3);
  }
  for (const char* name : {"checked", "CHECKED ", "", "BOX"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(LoadNamed(&bitmap, name), OSTRELL_ABSENT);
    EXPECT_EQ(bitmap.Width(), 3);
  }
  EXPECT_EQ(Load(nullptr, 8), OSTRELL_E_ARGUMENT);
  EXPECT_EQ(LoadNamed(nullptr, "CHECKED"), OSTRELL_E_ARGUMENT);
  EXPECT_EQ(LoadNamed(&bitmap, nullptr), OSTRELL_E_ARGUMENT);
  for (int32_t code : {OSTRELL_LOADED, OSTRELL_ABSENT, OSTRELL_E_ARGUMENT, OSTRELL_E_INTERNAL, -99})
    EXPECT_NE(ErrorText(code), nullptr);
}

// Guards against check box pictures of the wrong size or three alike.
TEST_F(OstrellTest, CheckBoxPictures) {
  std::set<std::vector<TColor>> seen;
  for (const char* name : {"CHECKED", "UNCHECKED", "GRAYED"}) {
    SCOPED_TRACE(name);
    TBitmap bitmap;
    ASSERT_EQ(LoadNamed(&bitmap, name), OSTRELL_LOADED);
    EXPECT_EQ(bitmap.Width(), 13);
    EXPECT_EQ(bitmap.Height(), 13);
    EXPECT_TRUE(seen.insert(bitmap.Pixels()).second);
  }
}

// Guards against a load that reaches the caller's bitmap pixel by pixel
// (a button would repaint hundreds of times) or leaves it monochrome.
TEST_F(OstrellTest, BitmapChangesOnceAndTakesColour) {
  TBitmap bitmap;
  bitmap.SetMonochrome(true);
  int changes = 0;
  bitmap.SetOnChange(TNotifyEvent::FromFunction([&changes](TObject*) { ++changes; }));
  ASSERT_EQ(Load(&bitmap, 9), OSTRELL_LOADED);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(bitmap.Monochrome());
  EXPECT_EQ(bitmap.Pixel(2, 3), TColor(0x0000FF)) << "the red top of the calendar";
}

}  // namespace
