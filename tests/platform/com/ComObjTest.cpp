// Creation by program id: factories registered in the process, in-process
// servers named by the registry file, and the errors of each path.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/com/ComObj.h"
#include "platform/com/DispatchObject.h"
#include "platform/com/OleCall.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Variant.h"
#include "platform/com/OleTestSupport.h"

#ifndef KULR_TEST_SERVER_PATH
#error "the build passes the test server's path in KULR_TEST_SERVER_PATH"
#endif

namespace {

class TLocalObject : public TDispatchObject {
public:
  AnsiString GetKind() const { return "local"; }

protected:
  const TDispatchTable& DispatchTable() const override {
    static const TDispatchTable table = TDispatchTableBuilder<TLocalObject>("TLocalObject")
                                            .AddProperty("Kind", &TLocalObject::GetKind)
                                            .Build();
    return table;
  }
};

// Points KULR_REGISTRY at a registry file of the test's own for its duration
// and unregisters the factories it registered.
class ComObjTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (const char* old = std::getenv("KULR_REGISTRY")) FOldRegistry = old;
    char pattern[] = "/tmp/kulr-comobj-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    FFolder = pattern;
    FRegistryFile = FFolder / "registry.ini";
    WriteRegistry("");
    setenv("KULR_REGISTRY", FRegistryFile.c_str(), 1);
  }

  void TearDown() override {
    for (const AnsiString& id : FRegistered) UnregisterClassFactory(id);
    if (FOldRegistry)
      setenv("KULR_REGISTRY", FOldRegistry->c_str(), 1);
    else
      unsetenv("KULR_REGISTRY");
    std::filesystem::remove_all(FFolder);
  }

  void WriteRegistry(const std::string& text) {
    std::ofstream(FRegistryFile, std::ios::binary | std::ios::trunc) << text;
  }

  // One InprocServer32 entry per (program id, library path) pair.
  static std::string Entry(const std::string& progId, const std::string& path) {
    return "[HKEY_CLASSES_ROOT\\" + progId + "\\InprocServer32]\n@=" + path + "\n";
  }

  void Register(const AnsiString& progId, TClassFactory factory) {
    RegisterClassFactory(progId, std::move(factory));
    FRegistered.push_back(progId);
  }

  std::filesystem::path FFolder;

private:
  std::filesystem::path FRegistryFile;
  std::optional<std::string> FOldRegistry;
  std::vector<AnsiString> FRegistered;
};


// ---- Registered factories ----

// Guards against the in-process factory not being found, or being found only
// with the exact spelling of its id.
TEST_F(ComObjTest, RegisteredFactoryCreatesTheObject) {
  Register("KulrTest.Local", [] { return TDispatchRef(new TLocalObject); });
  for (const char* id : {"KulrTest.Local", "kulrtest.local"}) {
    SCOPED_TRACE(id);
    Variant obj = CreateOleObject(id);
    EXPECT_EQ(OleGet(obj, "Kind").AsString(), "local");
  }
}

// Guards against the registry shadowing a factory this process registered.
TEST_F(ComObjTest, RegisteredFactoryWinsOverRegistry) {
  WriteRegistry(Entry("KulrTest.Server", KULR_TEST_SERVER_PATH));
  Register("KulrTest.Server", [] { return TDispatchRef(new TLocalObject); });
  EXPECT_EQ(CreateOleObject("KulrTest.Server").AsDispatch()->DispatchClassName(), "TLocalObject");

  ASSERT_TRUE(UnregisterClassFactory("kulrtest.server"));
  EXPECT_FALSE(UnregisterClassFactory("KulrTest.Server"));
  EXPECT_EQ(CreateOleObject("KulrTest.Server").AsDispatch()->DispatchClassName(), "TTestServer");
}

// Guards against a factory's failure escaping raw or a null object being
// handed out as a Variant.
TEST_F(ComObjTest, FailingFactoryRaisesCreationFailed) {
  Register("KulrTest.Null", [] { return TDispatchRef(); });
  Register("KulrTest.Throws", []() -> TDispatchRef { throw EConvertError("no licence"); });
  EXPECT_EQ(CatchOle([] { CreateOleObject("KulrTest.Null"); }).Kind(),
            TOleErrorKind::CreationFailed);
  EOleException e = CatchOle([] { CreateOleObject("KulrTest.Throws"); });
  EXPECT_EQ(e.Kind(), TOleErrorKind::CreationFailed);
  EXPECT_EQ(e.Message(), "KulrTest.Throws: no licence");
}

// ---- In-process servers through the registry ----

// Guards against the server's objects not working across the library
// boundary: calls, by-reference bytes and the server's own exceptions.
TEST_F(ComObjTest, CreatesInProcessServerNamedByRegistry) {
  WriteRegistry("; the test server\n" + Entry("KulrTest.Server", KULR_TEST_SERVER_PATH));
  Variant obj = CreateOleObject("kulrtest.SERVER");
  EXPECT_EQ(obj.AsDispatch()->DispatchClassName(), "TTestServer");
  EXPECT_EQ(OleGet(obj, "ProgId").AsString(), "kulrtest.SERVER");  // the caller's spelling
  EXPECT_EQ(OleCall(obj, "Add", {40, 2}).AsInteger(), 42);

  Variant name = AnsiString();
  OleCall(obj, "GetCompany", {Variant::ByRef(name)});
  EXPECT_EQ(name.AsString(), "\xD6\xD0\xCE\xC4");  // 中文 in GBK

  EOleException e = CatchOle([&] { OleCall(obj, "Fail"); });
  EXPECT_EQ(e.Kind(), TOleErrorKind::Exception);
  EXPECT_EQ(e.Message(), "TTestServer.Fail: the server failed");

  // A second creation reuses the loaded library and makes a new object.
  Variant second = CreateOleObject("KulrTest.Server");
  EXPECT_FALSE(second.AsDispatch() == obj.AsDispatch());
}

struct TCreateErrorCase {
  const char* Label;
  const char* ProgId;
  TOleErrorKind Kind;
  const char* MessagePart;  // a part of the message that must be there
};

// Guards against creation failures that do not say which id or library failed
// and why, and against an unknown id reporting anything but the platform's
// own text.
TEST_F(ComObjTest, CreationFailuresSayWhatFailed) {
  const std::string missing = (FFolder / "missing.so").string();
  WriteRegistry(Entry("KulrTest.Server", KULR_TEST_SERVER_PATH) +
                Entry("KulrTest.Missing", missing) +
                Entry("KulrTest.NoFactory", KULR_RUNTIME_PATH) +
                Entry("KulrTest.Other", KULR_TEST_SERVER_PATH) +
                Entry("KulrTest.Refuse", KULR_TEST_SERVER_PATH) +
                "[HKEY_CLASSES_ROOT\\KulrTest.NoPath\\InprocServer32]\nThreadingModel=Both\n" +
                Entry("KulrTest.Server\\Nested", KULR_TEST_SERVER_PATH));
  const TCreateErrorCase cases[] = {
      {"unregistered id", "KulrTest.Unknown", TOleErrorKind::InvalidClassString,
       "Invalid class string"},
      {"empty id", "", TOleErrorKind::InvalidClassString, "Invalid class string"},
      {"id reaching another key", "KulrTest.Server\\Nested", TOleErrorKind::InvalidClassString,
       "Invalid class string"},
      {"id with a control character", "KulrTest.\tServer", TOleErrorKind::InvalidClassString,
       "Invalid class string"},
      {"missing library", "KulrTest.Missing", TOleErrorKind::ServerLoad, missing.c_str()},
      {"library without the factory", "KulrTest.NoFactory", TOleErrorKind::ServerLoad,
       "does not export KulrCreateObject"},
      {"key without a library", "KulrTest.NoPath", TOleErrorKind::ServerLoad, "names no library"},
      {"server that does not serve the id", "KulrTest.Other", TOleErrorKind::CreationFailed,
       KULR_TEST_SERVER_PATH},
      {"server factory that raises", "KulrTest.Refuse", TOleErrorKind::CreationFailed,
       "the test server refuses"},
  };
  for (const TCreateErrorCase& c : cases) {
    SCOPED_TRACE(c.Label);
    EOleException e = CatchOle([&] { CreateOleObject(c.ProgId); });
    EXPECT_EQ(e.Kind(), c.Kind) << OleErrorKindName(e.Kind());
    EXPECT_EQ(e.Source(), c.ProgId);
    EXPECT_NE(e.Message().find(c.MessagePart), AnsiString::npos) << e.Message();
  }
  // The unknown id's text is the platform's own, exactly.
  EXPECT_EQ(CatchOle([] { CreateOleObject("KulrTest.Unknown"); }).Message(),
            "Invalid class string");
  // The library without the factory is named by its path.
  EXPECT_NE(
      CatchOle([] { CreateOleObject("KulrTest.NoFactory"); }).Message().find(KULR_RUNTIME_PATH),
      AnsiString::npos);
}

// Guards against a broken registry file passing for "not registered" or
// escaping as another kind of error.
TEST_F(ComObjTest, UnreadableRegistryRaisesAutomationError) {
  WriteRegistry("this line is neither a section nor a value\n");
  EOleException e = CatchOle([] { CreateOleObject("KulrTest.Server"); });
  EXPECT_EQ(e.Kind(), TOleErrorKind::ServerLoad);
  EXPECT_NE(e.Message().find("registry.ini"), AnsiString::npos) << e.Message();
}

}  // namespace
