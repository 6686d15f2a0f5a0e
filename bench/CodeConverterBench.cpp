// Cost of converting a whole form for a traditional-Chinese interface: a
// form with about as many components as the report's condition form
// (labels with captions and hints, buttons, combo boxes with items, list
// views with columns and rows, a memo, a status bar, a tab set, a tree
// view) converted by the code converter, against one OpenCC call on the
// same texts joined, which is the least any conversion can cost.
#include <benchmark/benchmark.h>
#include <opencc/SimpleConverter.hpp>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "i18n/CodeConverter.h"
#include "platform/rtl/CodePage.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ListViews.h"
#include "platform/vcl/Registration.h"
#include "platform/vcl/StdButtons.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/Tabs.h"

namespace {

const char* const kWords[] = {"系统用户", "供应商", "起始日期", "截止日期", "报表名称", "条件方案", "生成时间",
                              "委外进货单", "委外到货单", "打印机", "数据库", "软件", "确定", "取消"};

AnsiString Word(int i) { return AnsiString(kWords[i % 14]) + std::to_string(i % 7); }

// An installation whose profile asks for a traditional interface on a
// simplified system (mode 2), made once in a temporary folder.
void InstallTraditionalInterface() {
  static bool done = false;
  if (done) return;
  char pattern[] = "/tmp/kulr-bench-XXXXXX";
  std::string dir = mkdtemp(pattern);
  std::ofstream(dir + "/registry.ini") << "[HKEY_LOCAL_MACHINE\\Software\\ORLAN\\Helmar]\nClientPath=" << dir
                                      << "/\nProfileType=0\n";
  std::ofstream(dir + "/HelmarC.ini") << "[CodePage]\nUICodePage=950\n";
  setenv("KULR_REGISTRY", (dir + "/registry.ini").c_str(), 1);
  SetSystemCodePage(936);
  RegisterStandardClasses();
  done = true;
}

// The form and, in texts, every text the converter will convert.
TForm* MakeForm(std::vector<std::string>* texts) {
  TForm* form = NewObject<TForm>(nullptr);
  auto keep = [&](const AnsiString& t) {
    if (texts) texts->push_back(t);
    return t;
  };
  int n = 0;
  for (int i = 0; i < 40; ++i, ++n) {
    auto* label = NewObject<TLabel>(form);
    label->SetParent(form);
    label->SetCaption(keep(Word(n)));
    label->SetHint(keep(Word(n + 3)));
  }
  for (int i = 0; i < 12; ++i, ++n) {
    auto* button = NewObject<TButton>(form);
    button->SetParent(form);
    button->SetCaption(keep(Word(n)));
  }
  for (int i = 0; i < 8; ++i, ++n) {
    auto* combo = NewObject<TComboBox>(form);
    combo->SetParent(form);
    AnsiString items;
    for (int k = 0; k < 4; ++k) items += Word(n + k) + "\r\n";
    combo->Items()->SetText(keep(items));
  }
  for (int i = 0; i < 12; ++i, ++n) NewObject<TEdit>(form)->SetParent(form);
  for (int v = 0; v < 2; ++v) {
    auto* view = NewObject<TListView>(form);
    view->SetParent(form);
    for (int c = 0; c < 3; ++c) view->Columns()->Add()->SetCaption(keep(Word(n++)));
    for (int r = 0; r < 6; ++r) {
      TListItem* item = view->Items()->Add();
      item->SetCaption(keep(Word(n++)));
      for (int c = 1; c < 3; ++c) item->SubItems()->Add(keep(Word(n++)));
    }
  }
  auto* memo = NewObject<TMemo>(form);
  memo->SetParent(form);
  memo->Lines()->SetText(keep(Word(n) + "\r\n" + Word(n + 1) + "\r\n"));
  auto* tabs = NewObject<TTabSet>(form);
  tabs->SetParent(form);
  tabs->Tabs()->SetText(keep(Word(n) + "\r\n" + Word(n + 2) + "\r\n"));
  auto* status = NewObject<TStatusBar>(form);
  status->SetParent(form);
  for (int p = 0; p < 3; ++p) status->Panels()->Add()->SetText(keep(Word(n++)));
  auto* tree = NewObject<TTreeView>(form);
  tree->SetParent(form);
  TTreeNode* root = tree->Items()->Add(nullptr, keep(Word(n++)));
  for (int k = 0; k < 8; ++k) tree->Items()->AddChild(root, keep(Word(n++)));
  return form;
}

void BM_ConvertForm(benchmark::State& state) {
  InstallTraditionalInterface();
  TCodeConverter* converter = NewObject<TCodeConverter>(nullptr);
  int components = 0;
  for (auto _ : state) {
    state.PauseTiming();
    TForm* form = MakeForm(nullptr);
    components = form->ComponentCount();
    state.ResumeTiming();
    converter->ConvertForm(form);
    state.PauseTiming();
    Free(form);
    state.ResumeTiming();
  }
  state.counters["components"] = components;
  Free(converter);
}
BENCHMARK(BM_ConvertForm)->Unit(benchmark::kMicrosecond);

void BM_OpenCCOnTheSameTexts(benchmark::State& state) {
  InstallTraditionalInterface();
  std::vector<std::string> texts;
  Free(MakeForm(&texts));
  std::string joined;
  for (const std::string& t : texts) joined += t + "\n";
  const std::string utf8 = WideToUtf8(CodePageToWide(936, joined));
  opencc::SimpleConverter converter("/usr/share/opencc/s2twp.json");
  for (auto _ : state) benchmark::DoNotOptimize(converter.Convert(utf8));
  state.counters["texts"] = static_cast<double>(texts.size());
}
BENCHMARK(BM_OpenCCOnTheSameTexts)->Unit(benchmark::kMicrosecond);

}  // namespace
