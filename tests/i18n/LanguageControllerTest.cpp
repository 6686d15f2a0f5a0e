#include "i18n/LanguageController.h"

#include <gtest/gtest.h>

#include <string>

#include "I18nTestSupport.h"
#include "platform/rtl/ExpectThrow.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/FormsTestSupport.h"
#include "platform/vcl/ListViews.h"
#include "platform/vcl/Registration.h"
#include "platform/vcl/StdCtrls.h"

namespace {

class LanguageControllerTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    RegisterStandardClasses();
    RegisterLanguageControllerClasses();
  }
  LanguageControllerTest() : FInstall(936, "UICodePage=936\n") {
    FForm = NewObject<TForm>(nullptr);
    FForm->SetName("frmTest");
    FController = NewObject<TZubLangController>(FForm);
  }
  ~LanguageControllerTest() override { Free(FForm); }

  // Writes name.Lng into the simplified-Chinese language folder.
  void WriteLanguageFile(const std::string& name, const std::string& xml) {
    FInstall.Write("MultiLanguage/CHS/" + name + ".Lng", xml);
  }
  // Loads the form's file and applies it to the form.
  void Apply(const char* package = "TTestForm") {
    FController->SetLangPackageName(package);
    FController->SetActive(true);
    FController->GetReader().ReadComponent(FForm);
  }

  TInstallation FInstall;
  TCleanApplication FClean;
  TForm* FForm;
  TZubLangController* FController;
};

// The properties of named components, the form through the root element,
// excluded names in any case with blanks, and a UTF-8 file read into the
// system's code page.
TEST_F(LanguageControllerTest, AppliesAttributesToNamedComponents) {
  auto* edName = MakeControl<TEdit>(FForm, FForm, "edName");
  auto* label = MakeControl<TLabel>(FForm, FForm, "lblName");
  auto* skipped = MakeControl<TLabel>(FForm, FForm, "lblSkip");
  skipped->SetCaption("kept");
  FController->ExcludeControls()->Add("  LBLSKIP ");
  WriteLanguageFile("TTestForm",
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<Form Caption=\"F\">\n"
                    "  <edName Hint=\"B\" Color=\"clRed\"/>\n"
                    "  <lblName Caption=\"\xE5\x90\x8D\xE7\xA7\xB0\" Font.Color=\"clRed\" Font.Charset=\"134\"/>\n"
                    "  <lblSkip Caption=\"changed\"/>\n"
                    "  <nobody Caption=\"x\"/>\n"
                    "</Form>\n");
  Apply();
  EXPECT_EQ(FForm->Caption(), "F");
  EXPECT_EQ(edName->Hint(), "B");
  EXPECT_EQ(edName->Color(), clRed);
  EXPECT_EQ(label->Caption(), Gbk(u"名称"));
  EXPECT_EQ(label->Font()->Color(), clRed);
  EXPECT_EQ(label->Font()->Charset(), GB2312_CHARSET);
  EXPECT_EQ(skipped->Caption(), "kept");
}

// Indexed paths: list lines (padding), list view columns and items, tree
// nodes by absolute index, and indexes out of range left alone.
TEST_F(LanguageControllerTest, IndexedPaths) {
  auto* combo = MakeControl<TComboBox>(FForm, FForm, "cbo");
  combo->Items()->SetText("a\r\nb");
  combo->SetItemIndex(1);
  auto* memo = MakeControl<TMemo>(FForm, FForm, "memo");
  auto* view = MakeControl<TListView>(FForm, FForm, "lv");
  for (const char* caption : {"c0", "c1", "c2"}) view->Columns()->Add()->SetCaption(caption);
  for (const char* caption : {"i0", "i1", "i2"}) view->Items()->Add()->SetCaption(caption);
  auto* tree = MakeControl<TTreeView>(FForm, FForm, "tree");
  TTreeNode* root = tree->Items()->Add(nullptr, "n0");
  for (const char* text : {"n1", "n2", "n3", "n4", "n5"}) tree->Items()->AddChild(root, text);
  WriteLanguageFile("TTestForm",
                    "<Form>"
                    "<cbo Items_4=\"x\"/>"
                    "<memo Lines_0=\"first\"/>"
                    "<lv Columns_1.Caption=\"Qty\" Columns_9.Caption=\"none\" Items_2.Caption=\"row\"/>"
                    "<tree Items_5.Text=\"leaf\"/>"
                    "</Form>");
  Apply();
  EXPECT_EQ(combo->Items()->Text(), "a\r\nb\r\n\r\n\r\nx\r\n");
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(memo->Lines()->Strings(0), "first");
  EXPECT_EQ(view->Columns()->Items(1)->Caption(), "Qty");
  for (int i : {0, 2}) EXPECT_EQ(view->Columns()->Items(i)->Caption(), "c" + std::to_string(i));
  EXPECT_EQ(view->Items()->Item(2)->Caption(), "row");
  EXPECT_EQ(tree->Items()->Item(5)->Text(), "leaf");
}

// Later activations read the new file; a new package name deactivates.
TEST_F(LanguageControllerTest, ActivationStatesAndErrors) {
  ExpectThrowWith<LanguageControllerError>([&] { FController->GetReader(); }, "No active LanguageController!");
  ExpectThrowWith<LanguageControllerError>([&] { FController->SetActive(true); }, "Cannot Find File !");

  FController->SetLangPackageName("Missing");
  EXPECT_THROW(FController->SetActive(true), LanguageControllerError);
  EXPECT_FALSE(FController->Active());

  WriteLanguageFile("Broken", "<Form><a></b></Form>");
  FController->SetLangPackageName("Broken");
  try {
    FController->SetActive(true);
    ADD_FAILURE() << "a malformed file was accepted";
  } catch (const LanguageControllerError& e) {
    EXPECT_NE(std::string(e.Message()).find("Broken.Lng"), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(FController->Active());

  WriteLanguageFile("Good", "<Form/>");
  FController->SetLangPackageName("Good");
  FController->SetActive(true);
  EXPECT_TRUE(FController->Active());
  FController->SetLangPackageName("Other");
  EXPECT_FALSE(FController->Active()) << "a new package name deactivates";
}

// ---- Folders and messages ----

struct TFolderRow {
  const char* Name;
  const char* CodePage;
  const char* Folder;  // "" for none
};

class LanguageFolderTest : public ::testing::TestWithParam<TFolderRow> {};

TEST_P(LanguageFolderTest, FolderFromTheInterfaceCodePage) {
  const TFolderRow& row = GetParam();
  TInstallation install(936, std::string("UICodePage=") + row.CodePage + "\n");
  for (const char* language : {"CHS", "CHT", "ENG"})
    install.Write(std::string("MultiLanguage/") + language + "/keep", "");
  EXPECT_EQ(GetLanguageFolder(false), *row.Folder ? install.Base() + row.Folder : std::string());
}

INSTANTIATE_TEST_SUITE_P(Table, LanguageFolderTest,
                         ::testing::Values(TFolderRow{"Simplified", "936", "MultiLanguage/CHS/"},
                                           TFolderRow{"Traditional", "950", "MultiLanguage/CHT/"},
                                           TFolderRow{"English", "437", "MultiLanguage/ENG/"},
                                           TFolderRow{"Western", "1252", ""}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(LanguageMessageTest, MessageOrDefault) {
  TInstallation install(936, "UICodePage=936\n");
  install.Write("MultiLanguage/CHS/TfrmBaseGene.Lng",
                "<R><sOption Msg=\"Option\"/><sNoMsg Text=\"t\"/></R>");
  EXPECT_EQ(GetLangMsg(false, "TfrmBaseGene", "sOption", "d"), "Option");
  EXPECT_EQ(GetLangMsg(false, "TfrmBaseGene", "sNoMsg", "d"), "d");
  EXPECT_EQ(GetLangMsg(false, "TfrmBaseGene", "sMissing", "d"), "d");
  EXPECT_EQ(GetLangMsg(false, "TfrmOther", "sOption", "d"), "d");
  install.Write("MultiLanguage/CHS/Broken.Lng", "<R><sOption Msg=\"x\"></R>");
  EXPECT_EQ(GetLangMsg(false, "Broken", "sOption", "d"), "d");
}

// Without a language folder nothing is read, not even a file of that name
// in the current folder.
TEST(LanguageMessageTest, NoFolderNoLookup) {
  TInstallation install(936, "UICodePage=1252\n");
  EXPECT_EQ(GetLanguageFolder(false), "");
  EXPECT_EQ(GetLangMsg(false, "TfrmBaseGene", "sOption", "d"), "d");
}

}  // namespace
