#include "components/ZubRadioButton.h"

#include "platform/vcl/ClassBuilder.h"

TZubRadioButton::TZubRadioButton(TComponent* owner) : TRadioButton(owner) { SetBounds(0, 0, 113, 17); }

int TZubRadioButton::CaptionOffsetForSize(int pointSize) {
  struct TRange {
    int Low;
    int High;
    int Offset;
  };
  static constexpr TRange kRanges[] = {
      {1, 8, 17},   {9, 15, 19},  {16, 17, 20}, {18, 23, 21}, {24, 29, 23}, {30, 35, 25},
      {36, 41, 27}, {42, 43, 29}, {44, 60, 31}, {61, 80, 39},
  };
  for (const TRange& range : kRanges)
    if (pointSize >= range.Low && pointSize <= range.High) return range.Offset;
  return 44;
}

int TZubRadioButton::CaptionOffset() const { return CaptionOffsetForSize(Font()->Size()); }

TRect TZubRadioButton::CaptionArea() const {
  const TRect client = ClientRect();
  const int d = CaptionOffset();
  return Rect(client.Left + d - 4, client.Top - 4, client.Right + 4, client.Bottom + 4);
}

void TZubRadioButton::Repaint() {
  TRadioButton::Repaint();
  FCanvas.ClearTexts();
  FCanvas.Font().Assign(Font());
  Paint();
}

void TZubRadioButton::Paint() {
  const TRect client = ClientRect();
  FCanvas.Brush().SetColor(Color());
  FCanvas.Brush().SetStyle(bsSolid);
  FCanvas.Pen().SetColor(Color());
  FCanvas.FillRect(CaptionArea());
  const AnsiString caption = StripAccelChars(Caption());
  const int x = client.Left + CaptionOffset();
  const int y = client.Top + (client.Height() - FCanvas.TextHeight(caption)) / 2;
  // Over the area just filled: the text needs no background of its own.
  FCanvas.Brush().SetStyle(bsClear);
  FCanvas.TextRect(Rect(x, client.Top, client.Right, client.Bottom), x, y, caption);
}

void TZubRadioButton::TurnSiblingsOff() {
  TWinControl* parent = Parent();
  if (parent == nullptr) return;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* sibling = dynamic_cast<TZubRadioButton*>(parent->Controls(i));
    if (sibling != nullptr && sibling != this && sibling->Checked()) sibling->SetChecked(false);
  }
}

void TZubRadioButton::EnabledChanged() {
  TRadioButton::EnabledChanged();
  Repaint();
}

const TClass& TZubRadioButton::StaticClass() {
  static const TClass& record = TClassBuilder<TZubRadioButton>().Factory().Build();
  return record;
}

void RegisterZubRadioButtonClasses() { RegisterClass(TZubRadioButton::StaticClass()); }
