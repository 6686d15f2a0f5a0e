// The tab set: a strip of tabs named by a string list, one of them
// selected, as the bottom tabs of a workbook. It holds no pages; its owner
// reacts to OnChange. Tabs are laid out through the text metrics provider,
// owner-drawn tabs are measured and drawn through hooks, and nothing is
// drawn here.
//
// Code against user: setting TabIndex from code (the converter restoring
// it, a form loading it) raises nothing. A user's choice (a press on a tab,
// SelectNext) first raises OnChange(Sender, NewTab, AllowChange); a handler
// that clears AllowChange keeps the tab. A press's release then raises
// OnClick as for any control.
#pragma once

#include <memory>

#include "platform/rtl/StringList.h"
#include "platform/rtl/Types.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/TypInfo.h"

class TTabSet;

// The tab set's style. Its type name is "TTabStyle", as resources and the
// type information know it; in C++ it is TTabSetStyle so that it can live
// beside the page control's TTabStyle.
enum TTabSetStyle { tsStandard, tsOwnerDraw };
inline const TTypeInfo& KulrTypeInfo(TTabSetStyle*) {
  static const TTypeInfo info = TTypeInfo::Enumeration("TTabStyle", "tsStandard, tsOwnerDraw");
  return info;
}

// void(Sender, NewTab, var AllowChange)
KULR_EVENT(TTabChangeEvent, TObject*, int, bool&);
// void(Sender, Index, var TabWidth): an owner-drawn tab's width.
KULR_EVENT(TMeasureTabEvent, TObject*, int, int&);
// void(Sender, TabCanvas, R, Index, Selected): draws an owner-drawn tab.
// Known to the type information as "TDrawTabEvent".
struct TTabSetDrawTabEvent : TEvent<TTabSetDrawTabEvent, TObject*, TCanvas*, const TRect&, int, bool> {
  using TEvent<TTabSetDrawTabEvent, TObject*, TCanvas*, const TRect&, int, bool>::TEvent;
  static constexpr const char* KulrTypeName = "TDrawTabEvent";
};

// Geometry: the tabs from FirstIndex on stand left to right from
// StartMargin, TabHeight high at the top; a tab is its caption's text
// width plus 2 * kTabPadding wide (an owner-drawn one as OnMeasureTab
// says, starting from that width). Tabs that would pass the width less
// EndMargin are not shown.
class TTabSet : public TCustomControl {
  KULR_CLASS(TTabSet, TCustomControl)

  static constexpr int kTabPadding = 6;

  explicit TTabSet(TComponent* owner);
  ~TTabSet() override;

  // Changing the tabs keeps TabIndex while it is still a tab, moves it to
  // the last tab when that one went away, and to -1 when no tab is left.
  TStrings* Tabs() const;
  // Copies tabs (not null).
  void SetTabs(TStrings* tabs);

  int TabIndex() const { return FTabIndex; }
  // Code: silent. EListError outside -1..Tabs.Count-1 (while loading the
  // value is checked in Loaded, once the tabs are read).
  void SetTabIndex(int value);
  // The user's next (direction true) or previous tab, wrapping round:
  // OnChange with AllowChange, then the change. Nothing with fewer than two
  // tabs.
  void SelectNext(bool direction);

  // ---- Geometry ----
  int FirstIndex() const { return FFirstIndex; }
  // EListError outside 0..max(Count-1, 0).
  void SetFirstIndex(int value);
  // How many tabs are shown.
  int VisibleTabs() const;
  // The tab's rectangle; an empty one for a tab that is not shown.
  // EListError out of range.
  TRect TabRect(int index) const;
  // The shown tab at (x, y); -1 when none.
  int ItemAtPos(int x, int y) const;

  // ---- Appearance ----
  TTabSetStyle Style() const { return FStyle; }
  void SetStyle(TTabSetStyle value);
  TColor SelectedColor() const { return FSelectedColor; }
  void SetSelectedColor(TColor value);
  TColor UnselectedColor() const { return FUnselectedColor; }
  void SetUnselectedColor(TColor value);
  TColor BackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(TColor value);
  bool DitherBackground() const { return FDitherBackground; }
  void SetDitherBackground(bool value);
  bool AutoScroll() const { return FAutoScroll; }
  void SetAutoScroll(bool value) { FAutoScroll = value; }
  bool SoftTop() const { return FSoftTop; }
  void SetSoftTop(bool value);
  // Margins and TabHeight: EInvalidOperation when negative.
  int StartMargin() const { return FStartMargin; }
  void SetStartMargin(int value);
  int EndMargin() const { return FEndMargin; }
  void SetEndMargin(int value);
  int TabHeight() const { return FTabHeight; }
  void SetTabHeight(int value);

  // ---- Events ----
  const TTabChangeEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TTabChangeEvent& h) { FOnChange = h; }
  const TTabSetDrawTabEvent& OnDrawTab() const { return FOnDrawTab; }
  void SetOnDrawTab(const TTabSetDrawTabEvent& h) { FOnDrawTab = h; }
  const TMeasureTabEvent& OnMeasureTab() const { return FOnMeasureTab; }
  void SetOnMeasureTab(const TMeasureTabEvent& h) { FOnMeasureTab = h; }

  // A left press on a shown tab chooses it (the user path), then
  // OnMouseDown.
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void Loaded() override;

protected:
  // Raises OnChange; false when the handler refuses newTab.
  virtual bool CanChange(int newTab);
  // Owner-drawn tabs through OnDrawTab (brush: the selected or unselected
  // colour); standard ones record their caption centred in the tab.
  void Paint() override;
  void FontChanged() override;

private:
  class TTabList;
  friend class TTabList;

  int MeasureTab(int index) const;
  void UserSelect(int newTab);
  void TabsChanged();
  [[noreturn]] void IndexError(const char* what, int index) const;

  std::unique_ptr<TTabList> FTabs;
  int FTabIndex = -1;
  int FFirstIndex = 0;
  TTabSetStyle FStyle = tsStandard;
  TColor FSelectedColor = clBtnFace;
  TColor FUnselectedColor = clWindow;
  TColor FBackgroundColor = clBtnFace;
  bool FDitherBackground = true;
  bool FAutoScroll = true;
  bool FSoftTop = false;
  int FStartMargin = 5;
  int FEndMargin = 5;
  int FTabHeight = 20;
  TTabChangeEvent FOnChange;
  TTabSetDrawTabEvent FOnDrawTab;
  TMeasureTabEvent FOnMeasureTab;
};

// Registers TTabSet.
void RegisterTabsClasses();
