// Cost of the runtime operations every job pays: copying a job record (a
// Variant array of nested arrays, copied deeply), turning its byte strings
// into wide strings from code page 936, formatting a message, and a
// late-bound call through a dispatch object's member table.
#include <benchmark/benchmark.h>

#include <span>

#include "platform/com/DispatchObject.h"
#include "platform/com/OleCall.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Variant.h"

namespace {

// A job record of the usual shape: environment 1..14, texts and values of
// ten conditions (ranges and lists among them), as the condition form builds it.
Variant JobRecord() {
  Variant env = VarArrayCreate({1, 14});
  for (int i = 1; i <= 14; ++i) env[i] = AnsiString("KULR31-\xD6\xD0\xCE\xC4");  // "中文"
  Variant texts = VarArrayCreate({1, 10});
  Variant values = VarArrayCreate({1, 10});
  for (int i = 1; i <= 10; ++i) {
    texts[i] = VarArrayOf({AnsiString("\xB9\xA9\xD3\xA6\xC9\xCC"), AnsiString("sp01")});  // "供应商"
    values[i] = i % 2 ? VarArrayOf({AnsiString("\x04"), AnsiString("A001"), AnsiString("Z999")})
                      : VarArrayOf({AnsiString("\x05"), VarArrayOf({AnsiString("A001"), AnsiString("x")})});
  }
  return VarArrayOf({env, texts, values});
}

void BM_CopyJobRecord(benchmark::State& state) {
  const Variant record = JobRecord();
  for (auto _ : state) {
    Variant copy = record;
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_CopyJobRecord);

void BM_DecodeGbk(benchmark::State& state) {
  AnsiString text;
  for (int i = 0; i < 256; ++i) text += "\xD6\xD0\xCE\xC4" "ab";  // 1.5 KiB of mixed text
  for (auto _ : state) benchmark::DoNotOptimize(CodePageToWide(936, text));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_DecodeGbk);

void BM_FormatMessage(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(Format("%.4d%s%.2d%s%.2d %s: %3.2f%%",
                                    {2024, "/", 5, "/", 15, "KULR31", 12.5}));
}
BENCHMARK(BM_FormatMessage);

class TCounter : public TDispatchObject {
public:
  int32_t Add(int32_t a, int32_t b) { return a + b; }

protected:
  const TDispatchTable& DispatchTable() const override {
    static const TDispatchTable table =
        TDispatchTableBuilder<TCounter>("TCounter").AddMethod("Add", &TCounter::Add).Build();
    return table;
  }
};

void BM_LateBoundCall(benchmark::State& state) {
  Variant obj = TDispatchRef(new TCounter);
  for (auto _ : state) benchmark::DoNotOptimize(OleCall(obj, "add", {1, 2}));
}
BENCHMARK(BM_LateBoundCall);

}  // namespace
