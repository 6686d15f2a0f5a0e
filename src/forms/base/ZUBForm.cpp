#include "forms/base/ZUBForm.h"

#include <algorithm>
#include <mutex>

#include "lib/LibRTTI.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/win/Paths.h"

// ---- Disabled glyphs by class ----

namespace {

struct TGlyphRuleEntry {
  const TClass* Class;
  TDisabledGlyphRule Rule;
  size_t Rank;  // place of the class in ClassesNeedingDisabledGlyphRules
};

struct TGlyphRuleTable {
  std::mutex Mutex;
  std::vector<TGlyphRuleEntry> Rules;  // by rank, then registration order
};

TGlyphRuleTable& GlyphRules() {
  static TGlyphRuleTable table;
  return table;
}

bool SameClassName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

size_t RankOf(const TClass& aClass) {
  const std::vector<const char*>& names = ClassesNeedingDisabledGlyphRules();
  for (size_t i = 0; i < names.size(); ++i)
    if (SameClassName(aClass.ClassName(), names[i])) return i;
  return names.size();
}

void SpeedButtonGlyph(TComponent* component) { AddDisabledImage(static_cast<TSpeedButton*>(component)); }
void BitButtonGlyph(TComponent* component) { AddDisabledImage(static_cast<TBitBtn*>(component)); }

}  // namespace

void RegisterDisabledGlyphRule(const TClass& aClass, TDisabledGlyphRule rule) {
  TGlyphRuleTable& table = GlyphRules();
  std::lock_guard lock(table.Mutex);
  for (TGlyphRuleEntry& entry : table.Rules) {
    if (entry.Class == &aClass) {
      entry.Rule = rule;
      return;
    }
  }
  const size_t rank = RankOf(aClass);
  auto at = std::find_if(table.Rules.begin(), table.Rules.end(),
                         [rank](const TGlyphRuleEntry& entry) { return entry.Rank > rank; });
  table.Rules.insert(at, TGlyphRuleEntry{&aClass, rule, rank});
}

TDisabledGlyphRule FindDisabledGlyphRule(const TClass& aClass) {
  TGlyphRuleTable& table = GlyphRules();
  std::lock_guard lock(table.Mutex);
  // The first class of the order decides, as a chain of "is" tests would:
  // a glyph speed button is caught by the speed buttons' rule.
  for (const TGlyphRuleEntry& entry : table.Rules)
    if (aClass.InheritsFrom(entry.Class)) return entry.Rule;
  return nullptr;
}

const std::vector<const char*>& ClassesNeedingDisabledGlyphRules() {
  static const std::vector<const char*> names{"TZubBtnDBEdit", "TZubBtnDBCombo", "TSpeedButton",
                                              "TBitBtn",       "TGSpeedButton",  "TSelectPanel"};
  return names;
}

bool TZUBForm::AddDisabledGlyph(TBitmap* glyph) {
  if (glyph == nullptr || glyph->Empty()) return false;
  const int width = glyph->Width();
  const int height = glyph->Height();
  // clNone (a glyph without a transparent colour) matches no pixel.
  const TColor transparent = glyph->TransparentColor();
  auto isTransparent = [&](int x, int y) { return glyph->Pixel(x, y) == transparent; };

  // Marked: the dark pixels, and the light ones on the edge of the picture
  // (a neighbour is transparent; past the border the pixel is its own
  // neighbour).
  std::vector<bool> marked(static_cast<size_t>(width) * height, false);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const TColor pixel = glyph->Pixel(x, y);
      if (pixel == transparent) continue;
      const int sum = (pixel & 0xFF) + ((pixel >> 8) & 0xFF) + ((pixel >> 16) & 0xFF);
      marked[static_cast<size_t>(y) * width + x] =
          sum < 384 || isTransparent(x, std::max(y - 1, 0)) || isTransparent(x, std::min(y + 1, height - 1)) ||
          isTransparent(std::max(x - 1, 0), y) || isTransparent(std::min(x + 1, width - 1), y);
    }
  }

  // The mask is drawn where a pixel is marked. It is made from the marks
  // themselves, not from black pixels of a copy filled with the transparent
  // colour: a glyph whose transparent colour is black would otherwise have
  // its whole background embossed.
  TBitmap mask;
  mask.SetSize(width, height);
  mask.SetMonochrome(true);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      mask.SetPixel(x, y, marked[static_cast<size_t>(y) * width + x] ? clWhite : clBlack);

  // Embossed: the highlight one pixel down and to the right, then the
  // shadow over it, both through the mask onto the button face.
  TBitmap grey;
  grey.SetSize(width, height);
  TCanvas& canvas = grey.Canvas();
  canvas.Brush().SetColor(clBtnFace);
  canvas.FillRect(TRect{0, 0, width, height});
  canvas.Brush().SetColor(clBtnHighlight);
  canvas.FillMasked(1, 1, mask);
  canvas.Brush().SetColor(clBtnShadow);
  canvas.FillMasked(0, 0, mask);

  // The original at the left, the grey image at the right. The grey image
  // is opaque and covers the whole new half, so that half needs no fill
  // first. A monochrome glyph becomes a colour one, or the greys would turn
  // black and white. SetSize comes first: it refuses a glyph too wide to
  // double before anything has changed.
  glyph->SetSize(width * 2, height);
  glyph->SetMonochrome(false);
  glyph->Canvas().Draw(width, 0, grey);
  return true;
}

// ---- TZUBForm ----

TZUBForm::TZUBForm(TComponent* owner) : TForm(owner) {}

TCodeConverter& TZUBForm::Converter() const {
  if (ZubConverter == nullptr)
    throw EInvalidOperation(ClassName() + " " + Name() + ": the form has no code converter (ZubConverter)");
  return *ZubConverter;
}

TZubLangController& TZUBForm::Controller() const {
  if (LangController == nullptr)
    throw EInvalidOperation(ClassName() + " " + Name() + ": the form has no language controller (LangController)");
  return *LangController;
}

void TZUBForm::FormCreate(TObject*) {
  FConverted = false;
  FLanguageOnShow = true;
  const bool english = Converter().UICodePage() == "437";
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* component = Components(i);
    // No input method is forced on the user.
    if (HasPropByName(component, "ImeName")) SetStrPropByName(component, "ImeName", "");
    if (english && HasPropByName(component, "Font")) {
      // A control whose font cannot take it keeps its own: the form still
      // works, only in the designed font.
      SetPropByPath(component, "Font.Charset", Variant(static_cast<int>(GB2312_CHARSET)));
      SetPropByPath(component, "Font.Name", Variant("Tahoma"));
    }
    if (TDisabledGlyphRule rule = FindDisabledGlyphRule(*component->ClassType())) rule(component);
  }
}

void TZUBForm::FormShow(TObject*) {
  if (FLanguageOnShow) ApplyLanguage(true);
}

void TZUBForm::ConvertOnce() {
  if (FConverted) return;
  Converter().ConvertForm(this);
  FConverted = true;
}

int TZUBForm::ShowMessageDialog(const AnsiString& text, TMsgDlgType dialogType, TMsgDlgButtons buttons) {
  return Converter().ShowMessageDialog(text, dialogType, buttons);
}

AnsiString TZUBForm::GetSystemCodePage() const { return Converter().SystemCodePage(); }
AnsiString TZUBForm::GetUICodePage() const { return Converter().UICodePage(); }
uint8_t TZUBForm::GetUIConvertMode() const { return Converter().UIConvertMode(); }
uint8_t TZUBForm::GetDBConvertMode() const { return Converter().DBConvertMode(); }

void TZUBForm::ApplyLanguage(bool withAncestors) { ApplyLanguageFiles(this, withAncestors); }

void TZUBForm::ApplyLanguageFiles(TComponent* target, bool withAncestors) {
  ApplyClassChain(target, withAncestors, true);
}

void TZUBForm::ApplyDerivedLanguageFiles(TComponent* target, bool withAncestors) {
  ApplyClassChain(target, withAncestors, false);
}

void TZUBForm::ApplyClassChain(TComponent* target, bool withAncestors, bool withBase) {
  if (target == nullptr)
    throw EInvalidOperation(ClassName() + " " + Name() + ": no component to apply the language files to");
  TZubLangController& controller = Controller();
  // Without a language folder a file name alone would be looked for in
  // whatever folder the process runs in.
  if (GetLanguageFolder(controller.DesignType() == dtServer).empty()) return;

  // Oldest first. The walk ends at the plain form class (or, for a target
  // that is no form, at TComponent): the platform's classes have no files.
  std::vector<AnsiString> names;
  if (withAncestors) {
    const TClass* stop =
        target->InheritsFrom(TForm::StaticClass()) ? &TForm::StaticClass() : &TComponent::StaticClass();
    for (const TClass* c = target->ClassType(); c != nullptr && c != stop; c = c->ClassParent()) {
      if (!withBase && c == &TZUBForm::StaticClass()) break;
      names.insert(names.begin(), c->ClassName());
    }
  } else {
    names.push_back(target->ClassName());
  }

  for (const AnsiString& name : names) {
    controller.SetLangPackageName(name);
    // A name equal to the last one keeps the controller open: close it so
    // that the file is read as it is now.
    controller.SetActive(false);
    if (!FileExists(controller.FileName())) continue;
    controller.SetActive(true);
    controller.GetReader().ReadComponent(target);
  }
}

AnsiString TZUBForm::GetLangMsg(std::string_view fileBase, std::string_view key, bool convertDefault,
                                const AnsiString& defaultText) const {
  AnsiString fallback = defaultText;
  try {
    if (convertDefault) fallback = Converter().ToUI(Variant(defaultText)).AsString();
  } catch (const std::exception&) {
    // The designed text is still better than no text.
  }
  const bool serverSide = LangController != nullptr && LangController->DesignType() == dtServer;
  return ::GetLangMsg(serverSide, fileBase, key, fallback);
}

const TClass& TZUBForm::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TZUBForm> b;
    b.Field("ZubConverter", &TZUBForm::ZubConverter)
        .Field("LangController", &TZUBForm::LangController)
        .Method("FormCreate", &TZUBForm::FormCreate)
        .Method("FormShow", &TZUBForm::FormShow)
        .Factory();
    return b.Build();
  }();
  return record;
}

void RegisterZUBFormClasses() {
  RegisterClass(TZUBForm::StaticClass());
  RegisterDisabledGlyphRule(TSpeedButton::StaticClass(), SpeedButtonGlyph);
  RegisterDisabledGlyphRule(TBitBtn::StaticClass(), BitButtonGlyph);
}
