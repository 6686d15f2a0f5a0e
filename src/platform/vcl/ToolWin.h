// Tool bars: a windowed strip that lays its tool buttons out left to right
// in the order they were put on it, each ButtonWidth x ButtonHeight (a
// drop-down button wider by its arrow, separators and dividers as wide as
// they are set), starting a new row after a button marked Wrap or, when
// Wrapable, where the next button would not fit. Tool buttons are graphic
// controls: clicking one never moves the focus. A check button toggles its
// Down state (exclusively within a run of adjacent Grouped check buttons);
// a drop-down button pops its menu up on a press of its arrow part and
// raises OnClick for a click on its body.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/TypInfo.h"

class TCustomImageList;
class TPopupMenu;
class TToolBar;

KULR_ENUM(TToolButtonStyle, tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider)

class TToolButton : public TGraphicControl {
  KULR_CLASS(TToolButton, TGraphicControl)

  static constexpr int kSeparatorWidth = 8;     // a new separator's width
  static constexpr int kDropDownArrowWidth = 14;  // the arrow part of tbsDropDown

  explicit TToolButton(TComponent* owner);

  // The tool bar the button is on; nullptr when its parent is none.
  TToolBar* ToolBar() const;
  // Its place in the tool bar's order; -1 off a tool bar.
  int Index() const;

  // Becoming a separator or divider gives the button kSeparatorWidth.
  TToolButtonStyle Style() const { return FStyle; }
  void SetStyle(TToolButtonStyle value);
  // The menu a press on the arrow of a tbsDropDown button pops up
  // (forgotten when freed).
  TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
  void SetDropdownMenu(TPopupMenu* menu);
  // Into the tool bar's Images; -1 for none.
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value);
  // Pressed. Setting it by code raises nothing; setting a grouped check
  // button down raises the others of its group.
  bool Down() const { return FDown; }
  void SetDown(bool value);
  // Adjacent grouped check buttons form a group: one of them is down at a
  // time.
  bool Grouped() const { return FGrouped; }
  void SetGrouped(bool value);
  // Whether the down button of a group comes up when clicked again; set for
  // the whole group at once.
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);
  // The next button starts a new row.
  bool Wrap() const { return FWrap; }
  void SetWrap(bool value);

  // A check button toggles Down first (a grouped one only comes up with
  // AllowAllUp), then OnClick; separators and dividers do nothing. The
  // release of a press on a drop-down arrow that popped a menu clicks
  // nothing.
  void Click() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // A width or height set by code on a button of a tool bar is laid out
  // again: only separators keep their own width.
  void SetBounds(int left, int top, int width, int height) override;
  void SetVisible(bool value) override;
  void Notification(TComponent* component, TOperation operation) override;

  // Whether (x, y), client coordinates, lies on the arrow part.
  bool OnArrow(int x, int y) const;

protected:
  void TextChanged() override;
  // Draws the image of the tool bar's Images and, with ShowCaptions, the
  // caption.
  void Paint() override;

private:
  friend class TToolBar;
  std::vector<TToolButton*> Group() const;
  void Rearrange();

  TToolButtonStyle FStyle = tbsButton;
  TPopupMenu* FDropdownMenu = nullptr;
  int FImageIndex = -1;
  bool FDown = false;
  bool FGrouped = false;
  bool FAllowAllUp = false;
  bool FWrap = false;
  bool FArrowPressed = false;  // the current press began on the arrow
  bool FSwallowClick = false;  // the release after a menu pop-up
};

class TToolBar : public TWinControl {
  KULR_CLASS(TToolBar, TWinControl)

  explicit TToolBar(TComponent* owner);
  ~TToolBar() override;

  // The buttons in layout order.
  int ButtonCount() const { return static_cast<int>(FButtons.size()); }
  // EListError out of range.
  TToolButton* Buttons(int index) const;

  // At least 1 (EInvalidOperation otherwise); lays the buttons out again.
  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int value);
  int ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(int value);
  // Where the first button of each row starts; not negative.
  int Indent() const { return FIndent; }
  void SetIndent(int value);
  // The buttons' images (forgotten when freed).
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* images);
  // Captions shown under the images: every button grows to the widest
  // caption (kCaptionMargin each side) and to the image and text height.
  bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool value) { FFlat = value; }
  bool Wrapable() const { return FWrapable; }
  void SetWrapable(bool value);

  static constexpr int kCaptionMargin = 4;

  // Lays the buttons out (see the top of this header); with AutoSize the
  // height follows the rows. Nothing happens while the bar loads.
  void ArrangeButtons();
  // The size every button other than a separator gets.
  int EffectiveButtonWidth() const;
  int EffectiveButtonHeight() const;

  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

protected:
  void ControlChange(TControl* control, bool inserting) override;
  void SizeChanged(const TRect& oldClientRect) override;
  void FontChanged() override;

private:
  friend class TToolButton;

  std::vector<TToolButton*> FButtons;
  int FButtonWidth = 23;
  int FButtonHeight = 22;
  int FIndent = 0;
  TCustomImageList* FImages = nullptr;
  bool FShowCaptions = false;
  bool FFlat = false;
  bool FWrapable = true;
  bool FArranging = false;
};

// Registers TToolBar, TToolButton and TToolButtonStyle.
void RegisterToolWinClasses();
