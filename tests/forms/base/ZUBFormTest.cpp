#include "forms/base/ZUBForm.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "BaseFormTestForms.h"
#include "i18n/I18nTestSupport.h"
#include "lib/LibRTTI.h"
#include "platform/vcl/FormReader.h"
#include "platform/vcl/FormsTestSupport.h"
#include "platform/win/TempDir.h"

namespace {

// The designed simplified text (GBK) and its traditional form (Big5).
const AnsiString kSoftware = Gbk(u"软件");
const AnsiString kSoftwareBig5 = Big5(u"軟體");

class ZUBFormTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { RegisterBaseFormTestClasses(); }
  TCleanApplication FClean;
};

// Makes a form of class T and frees it with the scope.
template <class T>
class TFormScope {
public:
  template <class... TArgs>
  explicit TFormScope(TArgs&&... args) : FForm(NewObject<T>(nullptr, static_cast<TArgs&&>(args)...)) {}
  ~TFormScope() { Free(FForm); }
  TFormScope(const TFormScope&) = delete;
  TFormScope& operator=(const TFormScope&) = delete;
  T* operator->() const { return FForm; }
  T* Get() const { return FForm; }

private:
  T* FForm;
};

// The language files the controller opened, by file name without folder.
void WatchOpenedFiles(TZUBForm* form, std::vector<std::string>& opened) {
  TZubLangController* controller = form->LangController;
  controller->AfterOpen = Notify([&opened, controller](TObject*) {
    opened.push_back(std::filesystem::path(controller->FileName()).filename().string());
  });
}

// ---- The design ----

// Guards against a resource that leaves a published field unbound or names
// a class, property or handler that does not exist.
TEST_F(ZUBFormTest, EveryEmbeddedFormReadsCleanly) {
  TInstallation install(936, "UICodePage=936\n");
  EXPECT_EQ(VerifyRegisteredResources(), std::vector<AnsiString>{});
}

// Guards against a design that loses the font, the key preview or the two
// components every descendant relies on being its first.
TEST_F(ZUBFormTest, DesignOfTheBaseForm) {
  TInstallation install(936, "UICodePage=936\n");
  TFormScope<TZUBForm> form;
  EXPECT_EQ(form->Font()->Name(), Gbk(u"宋体"));
  EXPECT_EQ(form->Font()->Height(), -13);
  EXPECT_EQ(form->Font()->Charset(), DEFAULT_CHARSET);
  EXPECT_TRUE(form->KeyPreview());
  EXPECT_EQ(form->Position(), poScreenCenter);
  EXPECT_TRUE(form->ShowHint());
  ASSERT_GE(form->ComponentCount(), 2);
  EXPECT_EQ(form->Components(0), form->ZubConverter);
  EXPECT_EQ(form->Components(1), form->LangController);
  EXPECT_EQ(form->ZubConverter->DesignType(), dtClient);
  EXPECT_FALSE(form->LangController->Active());
  EXPECT_FALSE(form->Converted());
  EXPECT_TRUE(form->LanguageOnShow());
}

// ---- Language files ----

class ZUBFormLanguageTest : public ZUBFormTest {
protected:
  ZUBFormLanguageTest() : FInstall(936, "UICodePage=936\n") {}
  void WriteLanguageFile(const std::string& name, const std::string& xml) {
    FInstall.Write("MultiLanguage/CHS/" + name + ".Lng", xml);
  }
  TInstallation FInstall;
};

// Guards against files applied in the wrong order (a descendant's texts
// overridden by its ancestor's), against a missing file stopping the
// chain, and against texts applied on the first show only.
TEST_F(ZUBFormLanguageTest, FilesAlongTheClassChainOnEveryShow) {
  WriteLanguageFile("TZUBForm", "<Form Caption=\"base\"><edName Hint=\"base hint\" Text=\"base text\"/></Form>");
  WriteLanguageFile("TTestForm", "<Form Caption=\"derived\"><edName Hint=\"derived hint\"/></Form>");
  TFormScope<TTestForm> form;
  std::vector<std::string> opened;
  WatchOpenedFiles(form.Get(), opened);

  form->Show();
  EXPECT_EQ(opened, (std::vector<std::string>{"TZUBForm.Lng", "TTestForm.Lng"}));
  EXPECT_EQ(form->Caption(), "derived");
  EXPECT_EQ(form->edName->Hint(), "derived hint");
  EXPECT_EQ(form->edName->Text(), "base text");

  form->Hide();
  form->edName->SetHint("changed");
  form->Show();
  EXPECT_EQ(opened.size(), 4u) << "the files are read again on every show";
  EXPECT_EQ(form->edName->Hint(), "derived hint");
}

struct TChainRow {
  const char* Name;
  bool Derived;  // ApplyDerivedLanguageFiles instead of ApplyLanguageFiles
  bool WithAncestors;
  std::vector<std::string> Opened;
};

class LanguageChainTest : public ZUBFormLanguageTest, public ::testing::WithParamInterface<TChainRow> {};

// Guards against the walk passing the plain form class, the derived variant
// reading the base form's file, and the own-class variant reading ancestors.
TEST_P(LanguageChainTest, WhichFilesAreRead) {
  const TChainRow& row = GetParam();
  for (const char* name : {"TForm", "TZUBForm", "TTestBase", "TTestForm"}) WriteLanguageFile(name, "<Form/>");
  TFormScope<TTestForm> form;
  std::vector<std::string> opened;
  WatchOpenedFiles(form.Get(), opened);
  if (row.Derived)
    form->ApplyDerivedLanguageFiles(form.Get(), row.WithAncestors);
  else
    form->ApplyLanguageFiles(form.Get(), row.WithAncestors);
  EXPECT_EQ(opened, row.Opened);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LanguageChainTest,
    ::testing::Values(
        TChainRow{"WholeChain", false, true, {"TZUBForm.Lng", "TTestBase.Lng", "TTestForm.Lng"}},
        TChainRow{"OwnClass", false, false, {"TTestForm.Lng"}},
        TChainRow{"DerivedChain", true, true, {"TTestBase.Lng", "TTestForm.Lng"}},
        TChainRow{"DerivedOwnClass", true, false, {"TTestForm.Lng"}}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against a bare file name being looked up in the current folder
// when the interface language has no folder.
TEST_F(ZUBFormTest, NoLanguageFolderReadsNothing) {
  TTempDir current;  // before the installation, which moves the temporary folder
  TInstallation install(936, "UICodePage=1252\n");
  for (const char* name : {"TZUBForm.Lng", "TTestForm.Lng"}) current.WriteFile(name, "<Form Caption=\"found\"/>");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(current.Path());
  {
    TFormScope<TTestForm> form;
    form->Show();
    EXPECT_EQ(form->Caption(), kSoftware);
  }
  std::filesystem::current_path(previous);
}

// Guards against a broken language file being skipped silently.
TEST_F(ZUBFormLanguageTest, MalformedFileRaisesFromShow) {
  WriteLanguageFile("TTestForm", "<Form><a></b></Form>");
  TFormScope<TTestForm> form;
  EXPECT_THROW(form->Show(), LanguageControllerError);
}

// ---- Creation ----

// Guards against converting twice (traditional bytes read as simplified
// ones are garbled).
TEST_F(ZUBFormTest, ConvertOnceConvertsOnce) {
  TInstallation install(950, "");  // traditional interface on a traditional system: mode 2
  TFormScope<TTestForm> form;
  EXPECT_EQ(form->GetSystemCodePage(), "950");
  EXPECT_EQ(form->GetUICodePage(), "950");
  EXPECT_EQ(form->GetUIConvertMode(), 2);
  EXPECT_EQ(form->lblTitle->Caption(), kSoftware) << "creation itself converts nothing";
  form->ConvertOnce();
  EXPECT_TRUE(form->Converted());
  EXPECT_EQ(form->lblTitle->Caption(), kSoftwareBig5);
  form->ConvertOnce();
  EXPECT_EQ(form->lblTitle->Caption(), kSoftwareBig5);
}

struct TFontRow {
  const char* Name;
  const char* UICodePage;
  AnsiString FontName;
  TFontCharset Charset;
};

class EnglishFontTest : public ZUBFormTest, public ::testing::WithParamInterface<TFontRow> {};

// Guards against the English interface keeping Chinese fonts on some
// controls, and against other interfaces getting the English font.
TEST_P(EnglishFontTest, FontsOfOwnedComponents) {
  const TFontRow& row = GetParam();
  TInstallation install(936, std::string("UICodePage=") + row.UICodePage + "\n");
  TFormScope<TTestForm> form;
  int withFont = 0;
  for (int i = 0; i < form->ComponentCount(); ++i) {
    TComponent* component = form->Components(i);
    if (!HasPropByName(component, "Font")) continue;
    SCOPED_TRACE(component->ClassName() + " " + component->Name());
    auto* font = dynamic_cast<TFont*>(GetClassPropByName(component, "Font"));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->Name(), row.FontName);
    EXPECT_EQ(font->Charset(), row.Charset);
    ++withFont;
  }
  EXPECT_EQ(withFont, 3) << "lblTitle, edName and pnlInner";
}

INSTANTIATE_TEST_SUITE_P(Table, EnglishFontTest,
                         ::testing::Values(TFontRow{"English", "437", "Tahoma", GB2312_CHARSET},
                                           TFontRow{"Simplified", "936", Gbk(u"宋体"), DEFAULT_CHARSET}),
                         [](const auto& info) { return std::string(info.param.Name); });

// Guards against forcing an input method, and against reaching into the
// components a composite control owns.
TEST_F(ZUBFormTest, ImeNameClearedOnOwnedComponentsOnly) {
  TInstallation install(936, "UICodePage=936\n");
  TFormScope<TTestForm> form;
  EXPECT_EQ(form->edName->ImeName(), "");
  EXPECT_EQ(form->edInner->ImeName(), "inner");
}

// ---- Disabled glyphs ----

// The right half of a glyph as a picture: 'F' button face, 'S' shadow,
// 'H' highlight, '?' anything else.
std::vector<std::string> GreyHalf(const TBitmap& glyph) {
  std::vector<std::string> rows;
  const int half = glyph.Width() / 2;
  for (int y = 0; y < glyph.Height(); ++y) {
    std::string row;
    for (int x = half; x < glyph.Width(); ++x) {
      const TColor pixel = glyph.Pixel(x, y);
      row += pixel == ColorToRGB(clBtnFace)        ? 'F'
             : pixel == ColorToRGB(clBtnShadow)    ? 'S'
             : pixel == ColorToRGB(clBtnHighlight) ? 'H'
                                                   : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

// The source image at the left of a widened glyph, by the legend of
// PaintGlyph.
std::vector<std::string> SourceHalf(const TBitmap& glyph, TColor background) {
  std::vector<std::string> rows;
  for (int y = 0; y < glyph.Height(); ++y) {
    std::string row;
    for (int x = 0; x < glyph.Width() / 2; ++x) {
      const TColor pixel = glyph.Pixel(x, y);
      row += pixel == clNavy ? 'D' : pixel == clYellow ? 'L' : pixel == background ? '.' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

// Shadow where kGlyphRows is marked, highlight one pixel down-right of a
// mark that is not itself marked, face elsewhere.
const std::vector<std::string> kGreyRows{"FSFFF", "FFSFF", "SSSHF", "FHHHF"};

struct TGlyphRow {
  const char* Name;
  TColor Background;
};

class DisabledGlyphTest : public ZUBFormTest, public ::testing::WithParamInterface<TGlyphRow> {};

// Guards against a wrong marking rule (neighbours outside the border taken
// as transparent, light inner pixels marked), a wrong emboss order, a black
// background embossed as a whole, and against touching a glyph that
// already has its disabled image or has no image at all.
TEST_P(DisabledGlyphTest, OneImageGlyphsGetTheGreyedImage) {
  const TGlyphRow& row = GetParam();
  TInstallation install(936, "UICodePage=936\n");
  TFormScope<TGlyphTestForm> form(row.Background);

  for (const TBitmap* glyph : {form->btnOne->Glyph(), form->sbOne->Glyph()}) {
    ASSERT_EQ(glyph->Width(), 10);
    ASSERT_EQ(glyph->Height(), 4);
    EXPECT_EQ(SourceHalf(*glyph, row.Background), kGlyphRows);
    EXPECT_EQ(GreyHalf(*glyph), kGreyRows);
  }
  EXPECT_EQ(form->btnOne->NumGlyphs(), 2);
  EXPECT_EQ(form->sbOne->NumGlyphs(), 2);

  EXPECT_EQ(form->btnTwo->NumGlyphs(), 2);
  EXPECT_EQ(form->btnTwo->Glyph()->Width(), 10) << "a glyph with two images is left alone";
  EXPECT_EQ(SourceHalf(*form->btnTwo->Glyph(), row.Background), kGlyphRows);

  EXPECT_TRUE(form->btnEmpty->Glyph()->Empty());
  EXPECT_EQ(form->btnEmpty->NumGlyphs(), 1) << "no image to split in two";
}

INSTANTIATE_TEST_SUITE_P(Table, DisabledGlyphTest,
                         ::testing::Values(TGlyphRow{"FuchsiaBackground", clFuchsia},
                                           TGlyphRow{"BlackBackground", clBlack}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ZUBFormTest, AddDisabledGlyphIgnoresMissingGlyphs) {
  TBitmap empty;
  EXPECT_FALSE(TZUBForm::AddDisabledGlyph(nullptr));
  EXPECT_FALSE(TZUBForm::AddDisabledGlyph(&empty));
  EXPECT_TRUE(empty.Empty());
}

// Fails when a class whose buttons need a disabled image is registered
// without a glyph rule (its buttons would show the enabled image greyed by
// nobody).
TEST_F(ZUBFormTest, EveryGlyphHolderClassHasARule) {
  int registered = 0;
  for (const char* name : ClassesNeedingDisabledGlyphRules()) {
    SCOPED_TRACE(name);
    if (const TClass* aClass = FindClass(name)) {
      ++registered;
      EXPECT_NE(FindDisabledGlyphRule(*aClass), nullptr) << name << " is registered without a disabled-glyph rule";
    }
  }
  EXPECT_GE(registered, 2) << "the speed and bit buttons are registered";
}

// ---- Messages ----

// Guards against the default reaching the user unconverted, and against a
// language file's message being ignored.
TEST_F(ZUBFormTest, LanguageMessageOrConvertedDefault) {
  TInstallation install(950, "");
  install.Write("MultiLanguage/CHT/TfrmOther.Lng", "<R/>");
  TFormScope<TZUBForm> form;
  EXPECT_EQ(form->GetLangMsg("TfrmBaseGene", "sOption", true, kSoftware), kSoftwareBig5);
  EXPECT_EQ(form->GetLangMsg("TfrmBaseGene", "sOption", false, kSoftware), kSoftware);
  install.Write("MultiLanguage/CHT/TfrmBaseGene.Lng", "<R><sOption Msg=\"Option\"/></R>");
  EXPECT_EQ(form->GetLangMsg("TfrmBaseGene", "sOption", true, kSoftware), "Option");
}

}  // namespace
