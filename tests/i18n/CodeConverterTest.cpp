#include "i18n/CodeConverter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "I18nTestSupport.h"
#include "platform/rtl/ExpectThrow.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/FormsTestSupport.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/ListViews.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/Registration.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/Tabs.h"
#include "platform/win/DynLib.h"

namespace {

// Simplified texts as the forms are designed (GBK) and their traditional
// forms (Big5).
const AnsiString kSoftware = Gbk(u"软件");
const AnsiString kSimplified = Gbk(u"简体中文");
const AnsiString kSoftwareBig5 = Big5(u"軟體");
const AnsiString kSimplifiedBig5 = Big5(u"簡體中文");

class CodeConverterTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    RegisterStandardClasses();
    RegisterCodeConverterClasses();
  }
  TCleanApplication FClean;
};

// ---- Modes from the profile ----

struct TModeRow {
  const char* Name;
  int SystemCodePage;
  const char* Lines;
  int UIMode;
  int DBMode;
  bool Translator;
};

class ConverterModeTest : public CodeConverterTest, public ::testing::WithParamInterface<TModeRow> {};

// Guards against loading the library when nothing is converted, and against
// the caption rule following the interface instead of the system.
TEST_P(ConverterModeTest, ModesTranslatorAndCaption) {
  const TModeRow& row = GetParam();
  TInstallation install(row.SystemCodePage, row.Lines);
  TForm* form = NewObject<TForm>(nullptr);
  form->SetCaption(kSoftware);
  auto* label = MakeControl<TLabel>(form, form, "lbl");
  label->SetCaption(kSoftware);
  auto* converter = NewObject<TCodeConverter>(form);

  EXPECT_EQ(converter->UIConvertMode(), row.UIMode);
  EXPECT_EQ(converter->DBConvertMode(), row.DBMode);
  EXPECT_EQ(converter->Translator() != nullptr, row.Translator);

  converter->ConvertForm(form);
  const bool textsChange = row.UIMode == 2;
  EXPECT_EQ(label->Caption(), textsChange ? kSoftwareBig5 : kSoftware);
  // The caption follows the system: converted on a 950 system whenever the
  // interface mode is not 0.
  const bool captionChanges = row.Translator && row.SystemCodePage == 950;
  EXPECT_EQ(form->Caption(), captionChanges ? kSoftwareBig5 : kSoftware);
  if (row.Translator) {
    EXPECT_EQ(label->Font()->Name(), "SimSun");
    EXPECT_EQ(label->Font()->Charset(), row.UIMode == 2 ? CHINESEBIG5_CHARSET : GB2312_CHARSET);
  }
  Free(form);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConverterModeTest,
    ::testing::Values(TModeRow{"SimplifiedOnSimplified", 936, "UICodePage=936\n", 0, 0, false},
                      TModeRow{"TraditionalOnTraditional", 950, "", 2, 2, true},
                      TModeRow{"SimplifiedOnTraditional", 950, "UICodePage=936\n", 4, 0, true},
                      TModeRow{"TraditionalOnSimplified", 936, "UICodePage=950\n", 2, 2, true}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- ConvertForm: property and class rules ----

TEST_F(CodeConverterTest, ConvertsEveryVisibleTextButEditContents) {
  TInstallation install(936, "UICodePage=950\n");
  TForm* form = NewObject<TForm>(nullptr);
  auto* converter = NewObject<TCodeConverter>(form);
  auto* label = MakeControl<TLabel>(form, form, "lbl");
  label->SetCaption(kSoftware);
  label->SetHint(kSimplified);
  auto* edit = MakeControl<TEdit>(form, form, "ed");
  edit->SetText(kSoftware);
  auto* memo = MakeControl<TMemo>(form, form, "memo");
  memo->Lines()->SetText(kSoftware + "\r\n" + kSimplified);
  auto* combo = MakeControl<TComboBox>(form, form, "cbo");
  combo->Items()->SetText(kSoftware + "\r\n" + kSimplified);
  auto* emptyCombo = MakeControl<TComboBox>(form, form, "cboEmpty");
  auto* selectedCombo = MakeControl<TComboBox>(form, form, "cboSelected");
  selectedCombo->SetStyle(csDropDownList);
  selectedCombo->Items()->SetText(kSoftware + "\r\n" + kSimplified);
  selectedCombo->SetItemIndex(1);
  auto* simpleCombo = MakeControl<TComboBox>(form, form, "cboSimple");
  simpleCombo->SetStyle(csSimple);
  auto* listBox = MakeControl<TListBox>(form, form, "lst");
  listBox->Items()->Add(kSoftware);
  auto* tabs = MakeControl<TTabSet>(form, form, "tabs");
  tabs->Tabs()->SetText(kSoftware + "\r\n" + kSimplified);
  tabs->SetTabIndex(1);
  auto* tree = MakeControl<TTreeView>(form, form, "tree");
  TTreeNode* root = tree->Items()->Add(nullptr, kSoftware);
  tree->Items()->AddChild(root, kSimplified);
  auto* status = MakeControl<TStatusBar>(form, form, "status");
  status->Panels()->Add()->SetText(kSoftware);
  auto* grid = MakeControl<TStringGrid>(form, form, "grid");
  grid->SetCells(1, 2, kSimplified);
  auto* popup = NewObject<TPopupMenu>(form);

  converter->ConvertForm(form);

  EXPECT_EQ(label->Caption(), kSoftwareBig5);
  EXPECT_EQ(label->Hint(), kSimplifiedBig5);
  EXPECT_EQ(edit->Text(), kSoftware) << "edit contents are the user's, never converted";
  EXPECT_EQ(memo->Lines()->Text(), kSoftwareBig5 + "\r\n" + kSimplifiedBig5 + "\r\n");
  EXPECT_EQ(combo->Items()->Strings(1), kSimplifiedBig5);
  EXPECT_EQ(combo->Style(), csOwnerDrawFixed);
  EXPECT_EQ(combo->ItemIndex(), 0) << "a combo box with items and no selection gets the first";
  EXPECT_EQ(emptyCombo->ItemIndex(), -1);
  EXPECT_EQ(selectedCombo->Style(), csOwnerDrawFixed);
  EXPECT_EQ(selectedCombo->ItemIndex(), 1);
  EXPECT_EQ(simpleCombo->Style(), csSimple);
  EXPECT_EQ(listBox->Style(), lbOwnerDrawFixed);
  EXPECT_EQ(listBox->Items()->Strings(0), kSoftwareBig5);
  EXPECT_EQ(tabs->Tabs()->Strings(1), kSimplifiedBig5);
  EXPECT_EQ(tabs->TabIndex(), 1);
  EXPECT_EQ(tree->Items()->Item(0)->Text(), kSoftwareBig5);
  EXPECT_EQ(tree->Items()->Item(1)->Text(), kSimplifiedBig5);
  EXPECT_EQ(status->Panels()->Items(0)->Text(), kSoftwareBig5);
  EXPECT_EQ(grid->Cells(1, 2), kSimplifiedBig5);
  EXPECT_TRUE(popup->OwnerDraw());
  Free(form);
}

// Guards against a view with items converting its captions once per item,
// and against a view without items losing its column captions.
TEST_F(CodeConverterTest, ListViewColumnsOnceAndEveryCell) {
  TInstallation install(936, "UICodePage=950\n");
  TForm* form = NewObject<TForm>(nullptr);
  auto* converter = NewObject<TCodeConverter>(form);
  auto* filled = MakeControl<TListView>(form, form, "filled");
  auto* empty = MakeControl<TListView>(form, form, "empty");
  for (TListView* view : {filled, empty}) {
    view->Columns()->Add()->SetCaption(kSoftware);
    view->Columns()->Add()->SetCaption(kSimplified);
  }
  for (int r = 0; r < 3; ++r) {
    TListItem* item = filled->Items()->Add();
    item->SetCaption(kSoftware);
    item->SubItems()->Add(kSimplified);
  }
  converter->ConvertForm(form);
  for (TListView* view : {filled, empty}) {
    EXPECT_EQ(view->Columns()->Items(0)->Caption(), kSoftwareBig5);
    EXPECT_EQ(view->Columns()->Items(1)->Caption(), kSimplifiedBig5);
  }
  for (int r = 0; r < 3; ++r) {
    EXPECT_EQ(filled->Items()->Item(r)->Caption(), kSoftwareBig5);
    EXPECT_EQ(filled->Items()->Item(r)->SubItems()->Strings(0), kSimplifiedBig5);
  }
  Free(form);
}

// Mode 4 changes no text but still makes menus owner-drawn and sets the
// simplified font.
TEST_F(CodeConverterTest, ModeFourOnlyFontsAndMenus) {
  TInstallation install(950, "UICodePage=936\n");
  TForm* form = NewObject<TForm>(nullptr);
  auto* converter = NewObject<TCodeConverter>(form);
  auto* combo = MakeControl<TComboBox>(form, form, "cbo");
  combo->Items()->Add(kSoftware);
  auto* menu = NewObject<TMainMenu>(form);
  converter->ConvertForm(form);
  EXPECT_EQ(combo->Items()->Strings(0), kSoftware);
  EXPECT_EQ(combo->ItemIndex(), -1) << "the combo rule belongs to the converting modes";
  EXPECT_EQ(combo->Style(), csOwnerDrawVariable) << "the style rule runs in every non-zero mode";
  EXPECT_EQ(combo->Font()->Charset(), GB2312_CHARSET);
  EXPECT_TRUE(menu->OwnerDraw());
  Free(form);
}

// ---- Values ----

TEST_F(CodeConverterTest, ConvertValueShapes) {
  TInstallation install(936, "UICodePage=950\n");
  TCodeConverter* converter = NewObject<TCodeConverter>(nullptr);
  // Nested one-dimensional arrays: texts converted, numbers become texts,
  // Empty becomes "".
  Variant nested = VarArrayOf({VarArrayOf({Variant(kSoftware), Variant(1)}), Variant(kSimplified), Variant()});
  Variant result = converter->ConvertValue(2, nested);
  EXPECT_EQ(result.Array().At(0).Array().At(0).AsString(), kSoftwareBig5);
  ASSERT_NE(result.Array().At(0).Array().At(1).GetIf<AnsiString>(), nullptr);
  EXPECT_EQ(result.Array().At(0).Array().At(1).AsString(), "1");
  EXPECT_EQ(result.Array().At(1).AsString(), kSimplifiedBig5);
  ASSERT_NE(result.Array().At(2).GetIf<AnsiString>(), nullptr);
  EXPECT_EQ(result.Array().At(2).AsString(), "");

  // Two dimensions: cell by cell, Empty and Null stay.
  Variant grid = VarArrayCreate({0, 1, 0, 1});
  grid(0, 0) = Variant(kSoftware);
  grid(1, 1) = Variant::Null();
  Variant converted = converter->ConvertValue(2, grid);
  EXPECT_EQ(converted(0, 0).AsString(), kSoftwareBig5);
  EXPECT_TRUE(VarIsEmpty(converted(0, 1)));
  EXPECT_TRUE(VarIsNull(converted(1, 1)));

  // Other modes, Empty and Null: unchanged, numbers stay numbers.
  EXPECT_EQ(converter->ConvertValue(3, Variant(kSoftware)).AsString(), kSoftware);
  EXPECT_TRUE(VarIsEmpty(converter->ConvertValue(2, Variant())));
  EXPECT_NE(converter->ConvertValue(0, Variant(7)).GetIf<int32_t>(), nullptr);
  // A single number comes back as text in a converting mode.
  EXPECT_EQ(converter->ConvertValue(2, Variant(7)).GetIf<AnsiString>() != nullptr, true);
  Free(converter);
}

// Guards against ToDB/FromUI letting a library failure escape, while FromDB
// reports it.
TEST_F(CodeConverterTest, DirectionsAndErrorPaths) {
  {
    TInstallation install(950, "UICodePage=950\nDBCodePage=950\n");  // UI mode 2, DB mode 0
    TCodeConverter* same = NewObject<TCodeConverter>(nullptr);
    EXPECT_EQ(same->ToDB(Variant(kSoftware)).AsString(), kSoftware);
    EXPECT_EQ(same->FromUI(Variant(kSoftwareBig5)).AsString(), kSoftware) << "interface mode 2 comes back with 1";
    EXPECT_EQ(same->ToUI(Variant(kSoftware)).AsString(), kSoftwareBig5);
    Free(same);
  }
  TInstallation install(950, "UICodePage=936\nDBCodePage=950\n");  // UI mode 4, DB mode 1
  TCodeConverter* converter = NewObject<TCodeConverter>(nullptr);
  ASSERT_EQ(converter->DBConvertMode(), 1);
  EXPECT_EQ(converter->ToDB(Variant(kSoftware)).AsString(), kSoftwareBig5) << "database mode 1 stores traditional";
  EXPECT_EQ(converter->FromDB(Variant(kSoftwareBig5)).AsString(), kSoftware);
  const AnsiString cutOff = kSoftware.substr(0, 3);  // a lead byte without its trail byte
  EXPECT_EQ(converter->ToDB(Variant(cutOff)).AsString(), cutOff);
  EXPECT_EQ(converter->FromUI(Variant(cutOff)).AsString(), cutOff);
  EXPECT_THROW(converter->FromDB(Variant(cutOff)), Exception);
  Free(converter);
}

// ---- Message dialogs ----

TEST_F(CodeConverterTest, MessageDialogInTheFormsStyle) {
  TInstallation install(936, "UICodePage=936\n");
  TForm* form = NewObject<TForm>(nullptr);
  form->SetCaption(kSoftware);
  form->SetWindowState(wsMinimized);
  auto* converter = NewObject<TCodeConverter>(form);
  std::vector<TDialogRecord> seen;
  Application().SetDialogDriver([&](const TDialogRecord& record) {
    seen.push_back(record);
    return static_cast<int>(mrYes);
  });
  EXPECT_EQ(converter->ShowMessageDialog("", mtWarning, TMsgDlgButtons{mbYes}), 0);
  EXPECT_TRUE(seen.empty()) << "an empty text shows nothing";
  EXPECT_EQ(converter->ShowMessageDialog("abc", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}), mrYes);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].Text, "abc      ") << "six blanks on a simplified system";
  EXPECT_EQ(seen[0].Caption, kSoftware);
  EXPECT_EQ(form->WindowState(), wsNormal);
  Free(form);
}

// ---- The translator's failures ----

TEST_F(CodeConverterTest, LibraryThatCannotLoadOrLacksFunctions) {
  struct TCase {
    const char* Name;
    std::string Source;  // what the file named Zublanguage.dll is
    const char* Message;
  };
  // A real library without the two functions, and one that brings no copy
  // of this process's own runtime with it.
  const std::string runtime = GetModulePath(LoadLibrary("libpugixml.so.1"));
  ASSERT_FALSE(runtime.empty());
  for (const TCase& c : {TCase{"NotALibrary", "", "Load Library Zublanguage.dll Error!"},
                         TCase{"WithoutFunctions", runtime, "Get Library Procedure Address Error!"}}) {
    SCOPED_TRACE(c.Name);
    TTempDir folder;
    if (c.Source.empty())
      folder.WriteFile("Zublanguage.dll", "not a library");
    else
      std::filesystem::copy_file(c.Source, folder / "Zublanguage.dll");
    AddLibrarySearchFolder(folder.Path() + "/");
    ExpectThrowWith<Exception>([] { TTranslator translator; }, c.Message);
    RemoveLibrarySearchFolder(folder.Path() + "/");
  }
}

// ---- Rules that must exist ----

// Fails when a class whose texts live outside its published text properties
// is registered without a conversion rule (the converter would leave its
// texts simplified on a traditional interface).
TEST_F(CodeConverterTest, EveryClassWithHiddenTextsHasARule) {
  for (const char* name : ClassesNeedingConvertRules()) {
    SCOPED_TRACE(name);
    if (const TClass* aClass = FindClass(name)) {
      EXPECT_NE(FindConvertClassRule(*aClass, 2), nullptr);
    }
  }
}

}  // namespace
