// An in-process automation server for the creation tests. It serves
// "KulrTest.Server"; "KulrTest.Refuse" makes its factory raise, and any other
// id gets null, as from a library that does not serve it.
#include <strings.h>

#include <utility>

#include "platform/com/ComObj.h"
#include "platform/com/DispatchObject.h"
#include "platform/rtl/Exceptions.h"

namespace {

bool SameAscii(const char* a, const char* b) { return strcasecmp(a, b) == 0; }

class TTestServer : public TDispatchObject {
public:
  explicit TTestServer(AnsiString progId) : FProgId(std::move(progId)) {}

  AnsiString GetProgId() const { return FProgId; }
  int32_t Add(int32_t a, int32_t b) { return a + b; }
  // "中文" in GBK: the bytes come back into the caller's variable unchanged.
  void GetCompany(AnsiString& name) { name = "\xD6\xD0\xCE\xC4"; }
  void Fail() { throw EConvertError("the server failed"); }

protected:
  const TDispatchTable& DispatchTable() const override {
    static const TDispatchTable table = TDispatchTableBuilder<TTestServer>("TTestServer")
                                            .AddProperty("ProgId", &TTestServer::GetProgId)
                                            .AddMethod("Add", &TTestServer::Add)
                                            .AddMethod("GetCompany", &TTestServer::GetCompany)
                                            .AddMethod("Fail", &TTestServer::Fail)
                                            .Build();
    return table;
  }

private:
  AnsiString FProgId;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) IDispatch* KulrCreateObject(const char* progId) {
  if (SameAscii(progId, "KulrTest.Server")) return new TTestServer(progId);
  if (SameAscii(progId, "KulrTest.Refuse")) throw EInvalidOperation("the test server refuses");
  return nullptr;
}
