// Property access by name: the getters' empty values and the setters'
// silence for a missing property, the errors that still reach the caller
// for a property of the wrong kind or a setter that raises, declared type
// names, sub-objects, and paths with identifier names and trimmed
// enumeration names. All on a probe component published below, whose Font
// is the component model's TFont.
#include "lib/LibRTTI.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/TypInfo.h"

// ---- The probe (namespace scope: KULR_ENUM needs it) ----

KULR_ENUM(TLibRttiAlign, laLeft, laCenter, laRight)
KULR_ENUM(TLibRttiOption, loSort, loMulti, loWrap)
KULR_SET(TLibRttiOptions, TLibRttiOption);

class TLibRttiProbe : public TComponent {
  KULR_CLASS(TLibRttiProbe, TComponent)

  explicit TLibRttiProbe(TComponent* owner) : TComponent(owner) {}
  ~TLibRttiProbe() override {
    delete FFont;
    delete FItems;
  }

  TFont* Font() const { return FFont; }
  void SetFont(TFont* font) { FFont->Assign(font); }
  TStringList* Items() const { return FItems; }
  void SetItems(TStringList* items) { FItems->Assign(*items); }
  AnsiString Version() const { return "1.0"; }
  const AnsiString& Code() const { return FCode; }
  // A setter with a rule of its own, so that its error can be told apart
  // from the type information's.
  void SetCode(const AnsiString& code) {
    if (code.size() > 4) throw EInvalidOperation("TLibRttiProbe.Code: at most 4 bytes, got \"" + code + "\"");
    FCode = code;
  }
  void ProbeClick(TObject*) { ++Clicks; }

  AnsiString FCaption = "Hello";
  WideString FTitle = u"Wide";
  int32_t FCount = 42;
  TColor FColor = clWindow;
  TLibRttiAlign FAlign = laCenter;
  TLibRttiOptions FOptions{loSort, loWrap};
  bool FChecked = true;
  TLibRttiProbe* FBuddy = nullptr;
  TNotifyEvent FOnClick;
  int Clicks = 0;

private:
  TFont* FFont = new TFont;
  TStringList* FItems = new TStringList;
  AnsiString FCode;
};

const TClass& TLibRttiProbe::StaticClass() {
  static const TClass& record = TClassBuilder<TLibRttiProbe>()
                                    .Property("Caption", &TLibRttiProbe::FCaption, &TLibRttiProbe::FCaption)
                                    .Property("Title", &TLibRttiProbe::FTitle, &TLibRttiProbe::FTitle)
                                    .Property("Count", &TLibRttiProbe::FCount, &TLibRttiProbe::FCount)
                                    .Property("Color", &TLibRttiProbe::FColor, &TLibRttiProbe::FColor)
                                    .Property("Align", &TLibRttiProbe::FAlign, &TLibRttiProbe::FAlign)
                                    .Property("Options", &TLibRttiProbe::FOptions, &TLibRttiProbe::FOptions)
                                    .Property("Checked", &TLibRttiProbe::FChecked, &TLibRttiProbe::FChecked)
                                    .Property("Font", &TLibRttiProbe::Font, &TLibRttiProbe::SetFont)
                                    .Property("Items", &TLibRttiProbe::Items, &TLibRttiProbe::SetItems)
                                    .Property("Buddy", &TLibRttiProbe::FBuddy, &TLibRttiProbe::FBuddy)
                                    .Property("Code", &TLibRttiProbe::Code, &TLibRttiProbe::SetCode)
                                    .Property("Version", &TLibRttiProbe::Version)
                                    .Event("OnClick", &TLibRttiProbe::FOnClick)
                                    .Method("ProbeClick", &TLibRttiProbe::ProbeClick)
                                    .Factory()
                                    .Build();
  return record;
}

// A windowed control that records the messages its window procedure gets.
class TLibRttiClickProbe : public TCustomControl {
  KULR_CLASS(TLibRttiClickProbe, TCustomControl)

  explicit TLibRttiClickProbe(TComponent* owner) : TCustomControl(owner) {}
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    Messages.push_back({msg, wParam, lParam});
    return TCustomControl::WndProc(msg, wParam, lParam);
  }

  struct TMessageRecord {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    friend bool operator==(const TMessageRecord&, const TMessageRecord&) = default;
  };
  std::vector<TMessageRecord> Messages;
};

const TClass& TLibRttiClickProbe::StaticClass() {
  static const TClass& record = TClassBuilder<TLibRttiClickProbe>().Factory().Build();
  return record;
}

namespace {

class LibRTTITest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { RegisterGraphicsTypes(); }
  LibRTTITest() { Probe.SetName("Probe"); }

  TLibRttiProbe Probe{nullptr};
};

// ==== Getters ====

// Guards against getters that look names up case-sensitively, miss the
// ancestors' properties or read the wrong accessor for a kind.
TEST_F(LibRTTITest, GettersReadEveryKindByNameIgnoringCase) {
  Probe.SetTag(7);
  struct {
    const char* Name;
    int64_t Expected;
  } const ordinals[] = {
      {"Count", 42},
      {"COUNT", 42},
      {"Color", clWindow},
      {"Align", laCenter},
      {"Options", 0b101},  // loSort and loWrap
      {"Checked", 1},
      {"Tag", 7},  // published by TComponent
  };
  for (const auto& row : ordinals) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(GetOrdPropByName(&Probe, row.Name), row.Expected);
  }

  EXPECT_EQ(GetStrPropByName(&Probe, "caption"), "Hello");
  EXPECT_EQ(GetStrPropByName(&Probe, "Title"), "Wide");  // a wide string, in the system code page
  EXPECT_EQ(GetStrPropByName(&Probe, "Name"), "Probe");

  Probe.FOnClick = TNotifyEvent(&Probe, &TLibRttiProbe::ProbeClick);
  TMethod handler = GetMethodPropByName(&Probe, "onclick");
  EXPECT_EQ(handler, MakeMethod(&Probe, &TLibRttiProbe::ProbeClick));
  EXPECT_EQ(MethodName(handler.Code), "ProbeClick");
}

// Guards against a crash or an exception where the callers expect the
// empty value: a nil object, an empty name, an unknown name, a path.
TEST_F(LibRTTITest, GettersGiveTheEmptyValueWhenThePropertyIsMissing) {
  struct {
    const char* Case;
    TObject* Obj;
    const char* Name;
  } const rows[] = {
      {"nil object", nullptr, "Caption"},
      {"empty name", &Probe, ""},
      {"unknown name", &Probe, "Captions"},
      {"a path is not a name", &Probe, "Font.Color"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    EXPECT_EQ(GetStrPropByName(row.Obj, row.Name), "");
    EXPECT_EQ(GetOrdPropByName(row.Obj, row.Name), 0);
    EXPECT_FALSE(GetMethodPropByName(row.Obj, row.Name).Assigned());
    EXPECT_EQ(GetMethodPropByName(row.Obj, row.Name).Data, nullptr);
    EXPECT_EQ(GetClassPropByName(row.Obj, row.Name), nullptr);
    EXPECT_EQ(GetStringsPropByName(row.Obj, row.Name), nullptr);
    EXPECT_FALSE(HasPropByName(row.Obj, row.Name));
  }
}

// Guards against reading a string's storage as a number (or the reverse):
// a property that exists but is of another kind is a caller's fault and
// must say which property.
TEST_F(LibRTTITest, GettersRaiseForAPropertyOfAnotherKind) {
  struct {
    const char* Case;
    std::function<void()> Call;
  } const rows[] = {
      {"ordinal of a string", [&] { GetOrdPropByName(&Probe, "Caption"); }},
      {"string of an integer", [&] { GetStrPropByName(&Probe, "Count"); }},
      {"method of a string", [&] { GetMethodPropByName(&Probe, "Caption"); }},
      {"ordinal of a class", [&] { GetOrdPropByName(&Probe, "Font"); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    try {
      row.Call();
      ADD_FAILURE() << "nothing raised";
    } catch (const EPropertyError& e) {
      EXPECT_NE(e.Message().find("TLibRttiProbe"), std::string::npos) << e.Message();
    }
  }
}

// ==== Setters ====

// Guards against setters that write the wrong property or accessor, and a
// handler whose halves do not come back as they were given.
TEST_F(LibRTTITest, SettersWriteEveryKindByName) {
  SetStrPropByName(&Probe, "CAPTION", "New");
  SetStrPropByName(&Probe, "Title", "Also wide");
  SetOrdPropByName(&Probe, "count", -5);
  SetOrdPropByName(&Probe, "Color", clRed);
  SetOrdPropByName(&Probe, "Align", laRight);
  SetOrdPropByName(&Probe, "Options", 0b010);
  SetOrdPropByName(&Probe, "Checked", 0);

  EXPECT_EQ(Probe.FCaption, "New");
  EXPECT_EQ(Probe.FTitle, u"Also wide");
  EXPECT_EQ(Probe.FCount, -5);
  EXPECT_EQ(Probe.FColor, clRed);
  EXPECT_EQ(Probe.FAlign, laRight);
  EXPECT_EQ(Probe.FOptions, TLibRttiOptions{loMulti});
  EXPECT_FALSE(Probe.FChecked);

  TLibRttiProbe other(nullptr);
  SetMethodPropByName(&Probe, "OnClick", MakeMethod(&other, &TLibRttiProbe::ProbeClick));
  Probe.FOnClick(&Probe);
  EXPECT_EQ(other.Clicks, 1);  // runs on the data half given, not on Probe
  EXPECT_EQ(Probe.Clicks, 0);

  SetMethodPropByName(&Probe, "OnClick", TMethod{});
  EXPECT_FALSE(Probe.FOnClick.Assigned());
}

// Guards against a crash or an exception for a property that is not there:
// the same rule is applied to every component of a form.
TEST_F(LibRTTITest, SettersDoNothingWhenThePropertyIsMissing) {
  struct {
    const char* Case;
    TObject* Obj;
    const char* Name;
  } const rows[] = {
      {"nil object", nullptr, "Caption"},
      {"empty name", &Probe, ""},
      {"unknown name", &Probe, "Captions"},
      {"a path is not a name", &Probe, "Font.Height"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    EXPECT_NO_THROW(SetStrPropByName(row.Obj, row.Name, "changed"));
    EXPECT_NO_THROW(SetOrdPropByName(row.Obj, row.Name, 1));
    EXPECT_NO_THROW(SetMethodPropByName(row.Obj, row.Name, MakeMethod(&Probe, &TLibRttiProbe::ProbeClick)));
  }
  EXPECT_EQ(Probe.FCaption, "Hello");
  EXPECT_EQ(Probe.FCount, 42);
  EXPECT_EQ(Probe.Font()->Height(), kDefaultFontHeight);
  EXPECT_FALSE(Probe.FOnClick.Assigned());
}

// Guards against swallowing faults that are not "missing": a read-only
// property, a value the type cannot hold, another kind, and the property's
// own setter refusing the value (which must arrive as its own class).
TEST_F(LibRTTITest, SettersPassErrorsOfAnExistingPropertyThrough) {
  EXPECT_THROW(SetStrPropByName(&Probe, "Version", "2.0"), EPropertyError);
  EXPECT_THROW(SetOrdPropByName(&Probe, "Align", 3), EPropertyError);  // laLeft..laRight
  EXPECT_THROW(SetOrdPropByName(&Probe, "Caption", 1), EPropertyError);
  EXPECT_THROW(SetMethodPropByName(&Probe, "Count", TMethod{}), EPropertyError);
  EXPECT_THROW(SetStrPropByName(&Probe, "Code", "toolong"), EInvalidOperation);

  EXPECT_EQ(Probe.FAlign, laCenter);
  EXPECT_EQ(Probe.FCaption, "Hello");
  EXPECT_EQ(Probe.Code(), "");
}

// ==== Questions and sub-objects ====

// Guards against comparing the class of the value instead of the declared
// type, an ancestor's name counting as a match, and case-sensitive names.
TEST_F(LibRTTITest, IsPropOfTypeComparesTheDeclaredTypeNameIgnoringCase) {
  TLibRttiProbe buddy(nullptr);
  Probe.FBuddy = &buddy;
  struct {
    const char* Name;
    const char* TypeName;
    bool Expected;
  } const rows[] = {
      {"Font", "TFont", true},
      {"font", "tFONT", true},
      {"Items", "TStrings", true},
      {"Items", "TStringList", false},  // the list held is a TStringList; the type is TStrings
      {"Font", "TStrings", false},
      {"Font", "TPersistent", false},  // an ancestor is not the declared type
      {"Buddy", "TLibRttiProbe", true},
      {"Buddy", "TComponent", false},
      {"Align", "TLibRttiAlign", true},
      {"Options", "TLibRttiOptions", true},
      {"Color", "TColor", true},
      {"Count", "Integer", true},
      {"Caption", "TFont", false},
      {"Font", "", false},
      {"NoSuch", "TFont", false},
      {"", "TFont", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.Name) + " : " + row.TypeName);
    EXPECT_EQ(IsPropOfType(&Probe, row.Name, row.TypeName), row.Expected);
  }
  EXPECT_FALSE(IsPropOfType(nullptr, "Font", "TFont"));
}

// Guards against a false "yes" for a path or an empty name, and a "no" for
// an inherited property.
TEST_F(LibRTTITest, HasPropByNameFindsPublishedPropertiesOnly) {
  struct {
    const char* Name;
    bool Expected;
  } const rows[] = {
      {"Caption", true}, {"cAPTION", true}, {"Name", true},  {"Tag", true},
      {"OnClick", true}, {"Version", true}, {"Font", true},  {"ProbeClick", false},  // a method
      {"NoSuch", false}, {"", false},       {"Font.Color", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(HasPropByName(&Probe, row.Name), row.Expected);
  }
  EXPECT_FALSE(HasPropByName(nullptr, "Caption"));
}

// Guards against handing out a copy instead of the owned sub-object (edits
// would be lost), and against turning a non-object into a pointer.
TEST_F(LibRTTITest, GetClassPropByNameGivesTheHeldObjectOfClassKindOnly) {
  EXPECT_EQ(GetClassPropByName(&Probe, "Font"), Probe.Font());
  EXPECT_EQ(GetClassPropByName(&Probe, "FONT"), Probe.Font());
  EXPECT_EQ(GetClassPropByName(&Probe, "Buddy"), nullptr);  // holds none
  TLibRttiProbe buddy(nullptr);
  Probe.FBuddy = &buddy;
  EXPECT_EQ(GetClassPropByName(&Probe, "Buddy"), &buddy);

  EXPECT_EQ(GetClassPropByName(&Probe, "Caption"), nullptr);
  EXPECT_EQ(GetClassPropByName(&Probe, "OnClick"), nullptr);
  EXPECT_EQ(GetClassPropByName(&Probe, "Items"), nullptr);  // a TStrings is no TObject

  EXPECT_EQ(GetStringsPropByName(&Probe, "items"), Probe.Items());
  EXPECT_EQ(GetStringsPropByName(&Probe, "Font"), nullptr);
  EXPECT_EQ(GetStringsPropByName(&Probe, "Caption"), nullptr);
}

// ==== Paths ====

struct TPathRow {
  const char* Case;
  const char* Path;
  Variant Value;
  bool Expected;
  // Checks the probe (and its buddy) after the call.
  std::function<void(const TLibRttiProbe& probe, const TLibRttiProbe& buddy)> Check;
};

// Guards against paths that stop at the first object, identifier names that
// are stored as text (or not at all), enumeration names that fail on the
// blanks around them, strings that get trimmed too, and any error that
// escapes instead of giving false -- with nothing changed on failure.
TEST_F(LibRTTITest, SetPropByPathWalksObjectsAndConvertsTheValue) {
  using P = const TLibRttiProbe&;
  Variant colourName("clRed");
  const TPathRow rows[] = {
      {"font colour by identifier", "Font.Color", Variant("clRed"), true,
       [](P p, P) { EXPECT_EQ(p.Font()->Color(), clRed); }},
      {"identifier in another case, as wide text", "font.color", Variant(u"CLRED"), true,
       [](P p, P) { EXPECT_EQ(p.Font()->Color(), clRed); }},
      {"font height by number", "Font.Height", Variant(int32_t{-13}), true,
       [](P p, P) { EXPECT_EQ(p.Font()->Height(), -13); }},
      {"system colour by identifier", "Color", Variant("clBtnFace"), true,
       [](P p, P) { EXPECT_EQ(p.FColor, clBtnFace); }},
      {"mapped type given a number", "Color", Variant(int32_t{255}), true,
       [](P p, P) { EXPECT_EQ(p.FColor, clRed); }},
      {"mapped type given a number as text", "Font.Charset", Variant("134"), true,
       [](P p, P) { EXPECT_EQ(p.Font()->Charset(), GB2312_CHARSET); }},
      {"charset by identifier", "Font.Charset", Variant("CHINESEBIG5_CHARSET"), true,
       [](P p, P) { EXPECT_EQ(p.Font()->Charset(), CHINESEBIG5_CHARSET); }},
      {"unknown identifier is stored as text and refused", "Color", Variant("clPurpleHaze"), false,
       [](P p, P) { EXPECT_EQ(p.FColor, clWindow); }},
      {"unmapped integer from text", "Count", Variant("12"), true, [](P p, P) { EXPECT_EQ(p.FCount, 12); }},
      {"unmapped integer from a word", "Count", Variant("twelve"), false,
       [](P p, P) { EXPECT_EQ(p.FCount, 42); }},
      {"enumeration with blanks around its name", "Align", Variant("  laRight \t"), true,
       [](P p, P) { EXPECT_EQ(p.FAlign, laRight); }},
      {"enumeration by number", "Align", Variant(int32_t{0}), true,
       [](P p, P) { EXPECT_EQ(p.FAlign, laLeft); }},
      {"enumeration with an unknown name", "Align", Variant("laNowhere"), false,
       [](P p, P) { EXPECT_EQ(p.FAlign, laCenter); }},
      {"Boolean by name", "Checked", Variant(" False "), true, [](P p, P) { EXPECT_FALSE(p.FChecked); }},
      {"set with blanks", "Options", Variant(" [ loMulti , loWrap ] "), true,
       [](P p, P) { EXPECT_EQ(p.FOptions, (TLibRttiOptions{loMulti, loWrap})); }},
      {"set on a sub-object", "Font.Style", Variant("[fsBold]"), true,
       [](P p, P) { EXPECT_EQ(p.Font()->Style(), TFontStyles{fsBold}); }},
      {"strings keep their blanks", "Caption", Variant("  padded "), true,
       [](P p, P) { EXPECT_EQ(p.FCaption, "  padded "); }},
      {"value by reference", "Font.Color", Variant::ByRef(colourName), true,
       [](P p, P) { EXPECT_EQ(p.Font()->Color(), clRed); }},
      {"two objects deep", "Buddy.Font.Color", Variant("clRed"), true,
       [](P p, P b) {
         EXPECT_EQ(b.Font()->Color(), clRed);
         EXPECT_NE(p.Font()->Color(), clRed);
       }},
      {"through a component reference", "Buddy.Caption", Variant("Hi"), true,
       [](P p, P b) {
         EXPECT_EQ(b.FCaption, "Hi");
         EXPECT_EQ(p.FCaption, "Hello");
       }},
      {"missing step", "Pen.Color", Variant("clRed"), false, nullptr},
      {"missing last name", "Font.Colour", Variant("clRed"), false, nullptr},
      {"step that is no object", "Caption.Length", Variant(int32_t{1}), false,
       [](P p, P) { EXPECT_EQ(p.FCaption, "Hello"); }},
      {"step through a string list", "Items.Text", Variant("a"), false, nullptr},
      {"empty path", "", Variant("x"), false, nullptr},
      {"empty last name", "Font.", Variant("x"), false, nullptr},
      {"empty first name", ".Color", Variant("clRed"), false, [](P p, P) { EXPECT_EQ(p.FColor, clWindow); }},
      {"read-only property", "Version", Variant("2.0"), false, nullptr},
      {"setter refuses the value", "Code", Variant("toolong"), false, [](P p, P) { EXPECT_EQ(p.Code(), ""); }},
      {"class property as last name", "Font", Variant("x"), false, nullptr},
      {"method property as last name", "OnClick", Variant("ProbeClick"), false,
       [](P p, P) { EXPECT_FALSE(p.FOnClick.Assigned()); }},
      {"Null into a number", "Count", Variant::Null(), false, [](P p, P) { EXPECT_EQ(p.FCount, 42); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Case);
    TLibRttiProbe probe(nullptr);
    TLibRttiProbe buddy(nullptr);
    probe.Font()->SetHeight(-20);
    probe.FBuddy = &buddy;
    EXPECT_EQ(SetPropByPath(&probe, row.Path, row.Value), row.Expected);
    if (row.Check) row.Check(probe, buddy);
  }
}

// Guards against a crash on a nil start object or on a step whose object
// is nil (a component reference not set).
TEST_F(LibRTTITest, SetPropByPathGivesFalseForNilObjects) {
  EXPECT_FALSE(SetPropByPath(nullptr, "Color", Variant("clRed")));
  EXPECT_FALSE(SetPropByPath(nullptr, "Font.Color", Variant("clRed")));
  ASSERT_EQ(Probe.FBuddy, nullptr);
  EXPECT_FALSE(SetPropByPath(&Probe, "Buddy.Caption", Variant("Hi")));
  EXPECT_EQ(Probe.FCaption, "Hello");
}

// ==== Clicks ====

// Guards against a click that sends only one message, the wrong pair or
// order, parameters other than 0, or a window made as a side effect.
TEST_F(LibRTTITest, ClickControlSendsButtonDownThenUpWithZeroParameters) {
  auto* control = NewObject<TLibRttiClickProbe>(nullptr);
  ClickControl(control);
  using TRecord = TLibRttiClickProbe::TMessageRecord;
  const std::vector<TRecord> expected = {{WM_LBUTTONDOWN, 0, 0}, {WM_LBUTTONUP, 0, 0}};
  EXPECT_EQ(control->Messages, expected);
  EXPECT_FALSE(control->HandleAllocated());
  Free(control);
}

// Guards against clicks lost on their way to the control's mouse events, on
// a windowed control and on one without a window alike.
TEST_F(LibRTTITest, ClickControlReachesTheMouseEventsOfEveryKindOfControl) {
  auto* windowed = NewObject<TCustomControl>(nullptr);
  auto* graphic = NewObject<TGraphicControl>(nullptr);
  for (TControl* control : std::initializer_list<TControl*>{windowed, graphic}) {
    SCOPED_TRACE(control->ClassName());
    std::vector<std::string> log;
    auto record = [&log](const char* what) {
      return TMouseEvent::FromFunction([&log, what](TObject*, TMouseButton button, TShiftState, int x, int y) {
        log.push_back(std::string(what) + (button == mbLeft ? " left" : " other") + " at " +
                      std::to_string(x) + "," + std::to_string(y));
      });
    };
    control->SetOnMouseDown(record("down"));
    control->SetOnMouseUp(record("up"));
    ClickControl(control);
    EXPECT_EQ(log, (std::vector<std::string>{"down left at 0,0", "up left at 0,0"}));
  }
  Free(windowed);
  Free(graphic);
}

// Guards against a crash on a nil control.
TEST_F(LibRTTITest, ClickControlIgnoresANilControl) { EXPECT_NO_THROW(ClickControl(nullptr)); }

}  // namespace
