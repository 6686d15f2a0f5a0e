// Cost of simplified -> traditional conversion as the forms pay it: a block
// of 200 short captions converted one library call each (what a form's
// captions and hints cost), the same block joined into one text in one
// library call (what a string list costs), and OpenCC alone on the joined
// UTF-8 text, which shows what the code-page work and the per-call overhead
// add. The captions are GBK (the sources are compiled to GBK).
#include <benchmark/benchmark.h>
#include <opencc/SimpleConverter.hpp>

#include <cstdlib>
#include <string>
#include <vector>

#include "libs/Zublanguage.h"
#include "platform/rtl/CodePage.h"
#include "platform/win/DynLib.h"

namespace {

std::vector<std::string> Captions() {
  const char* heads[] = {"系统用户", "被通知人", "收件人", "手机号码", "邮箱地址",
                         "确定",     "取消",     "软件",   "数据库",   "打印机",
                         "简体中文", "供应商",   "起始日期", "截止日期", "报表名称",
                         "条件方案", "生成时间", "信息",   "网络",     "后台"};
  const char* tails[] = {"", ":", "(F2)", "编号", "名称", "类型", "设置", "查询", "选择", "说明"};
  std::vector<std::string> out;
  for (int i = 0; i < 200; ++i) out.push_back(std::string(heads[i % 20]) + tails[(i / 20) % 10]);
  return out;
}

std::string Joined(const std::vector<std::string>& texts) {
  std::string out;
  for (const std::string& t : texts) out += t + "\r\n";
  return out;
}

TZubConvertProc GbToBig5() {
  static TDynLib lib("Zublanguage.dll");
  auto proc = lib.ProcAs<TZubConvertProc>("GBtoBIG5");
  if (!proc) {
    std::fprintf(stderr, "Zublanguage.dll: %s\n", lib.Error().c_str());
    std::abort();
  }
  return proc;
}

void BM_LibraryPerCaption(benchmark::State& state) {
  const TZubConvertProc convert = GbToBig5();
  const std::vector<std::string> texts = Captions();
  char out[256];
  for (auto _ : state) {
    for (const std::string& t : texts) {
      const int32_t n = convert(t.data(), static_cast<int32_t>(t.size()), out, sizeof out);
      benchmark::DoNotOptimize(n);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts.size()));
}
BENCHMARK(BM_LibraryPerCaption);

void BM_LibraryJoined(benchmark::State& state) {
  const TZubConvertProc convert = GbToBig5();
  const std::string joined = Joined(Captions());
  std::string out(joined.size() * 3, '\0');
  for (auto _ : state) {
    const int32_t n = convert(joined.data(), static_cast<int32_t>(joined.size()), out.data(),
                              static_cast<int32_t>(out.size()));
    benchmark::DoNotOptimize(n);
    // Defeat the library's per-thread memo of the last conversion, which a
    // repeated identical call would otherwise hit.
    convert("a", 1, out.data(), 2);
  }
  state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(BM_LibraryJoined);

void BM_OpenCCJoinedUtf8(benchmark::State& state) {
  static const opencc::SimpleConverter converter("s2twp.json");
  const std::string utf8 = WideToUtf8(CodePageToWide(936, Joined(Captions())));
  for (auto _ : state) {
    std::string result = converter.Convert(utf8);
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(BM_OpenCCJoinedUtf8);

void BM_OpenCCPerCaptionUtf8(benchmark::State& state) {
  static const opencc::SimpleConverter converter("s2twp.json");
  std::vector<std::string> utf8;
  for (const std::string& t : Captions()) utf8.push_back(WideToUtf8(CodePageToWide(936, t)));
  for (auto _ : state) {
    for (const std::string& t : utf8) {
      std::string result = converter.Convert(t);
      benchmark::DoNotOptimize(result);
    }
  }
  state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(BM_OpenCCPerCaptionUtf8);

}  // namespace
