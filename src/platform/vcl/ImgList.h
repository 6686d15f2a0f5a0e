// Image lists: a component holding a numbered row of equally sized images
// (tool button glyphs, tree and tab icons, list view icons), each image a
// bitmap copy with an optional monochrome mask (white = transparent). The
// controls that show images refer to a list by index and follow its changes
// through a change link; a list that goes away is forgotten through the
// usual free notification.
#pragma once

#include <memory>
#include <vector>

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"

class TCustomImageList;

KULR_ENUM(TDrawingStyle, dsFocus, dsSelected, dsNormal, dsTransparent)
KULR_ENUM(TImageType, itImage, itMask)

// How a control learns that an image list it shows changed: the control
// owns a link, sets OnChange and registers it with the list. The link
// unregisters itself when it is destroyed, and the list clears Sender of
// every link still registered when the list goes away first.
class TChangeLink {
public:
  TChangeLink() = default;
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;
  ~TChangeLink();

  TCustomImageList* Sender() const { return FSender; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& handler) { FOnChange = handler; }
  // Raises OnChange with the list as Sender.
  void Change();

private:
  friend class TCustomImageList;
  TCustomImageList* FSender = nullptr;
  TNotifyEvent FOnChange;
};

// Errors (a bad index, a size the list cannot hold, a missing image) raise
// EInvalidOperation naming the list, the operation and the index.
class TCustomImageList : public TComponent {
  KULR_CLASS(TCustomImageList, TComponent)

  static constexpr int kDefaultSize = 16;
  // Larger images are refused: glyphs and icons are far smaller.
  static constexpr int kMaxSize = 1024;

  explicit TCustomImageList(TComponent* owner);
  // A list of images of that size (EInvalidOperation outside 1..kMaxSize).
  TCustomImageList(TComponent* owner, int width, int height);
  ~TCustomImageList() override;

  // ---- Size ----
  // Every image is Width x Height. Changing either size deletes every
  // image, as the images of the old size cannot be kept (raises OnChange
  // when the size changed). EInvalidOperation outside 1..kMaxSize.
  int Width() const { return FWidth; }
  void SetWidth(int value);
  int Height() const { return FHeight; }
  void SetHeight(int value);
  // How many image slots the list grows by; stored only (memory here grows
  // as needed). Values below 1 become 1.
  int AllocBy() const { return FAllocBy; }
  void SetAllocBy(int value) { FAllocBy = value < 1 ? 1 : value; }

  // ---- Appearance (stored; Draw uses Masked) ----
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor value);
  TColor BlendColor() const { return FBlendColor; }
  void SetBlendColor(TColor value);
  TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle value);
  TImageType ImageType() const { return FImageType; }
  void SetImageType(TImageType value);
  // Whether images are drawn through their masks. Changing it deletes the
  // images (a list with masks and one without hold different images).
  bool Masked() const { return FMasked; }
  void SetMasked(bool value);
  bool ShareImages() const { return FShareImages; }
  void SetShareImages(bool value) { FShareImages = value; }

  // ---- Images ----
  int Count() const { return static_cast<int>(FImages.size()); }

  // Appends the image and returns the index of the first image added. An
  // image wider than Width holds several images side by side: one image per
  // whole Width (a bitmap of 3 x Width adds three). A narrower or lower
  // image is one image, placed at the top left, the rest transparent.
  // mask (may be null: every pixel opaque) is read the same way; a mask
  // pixel that is white is transparent. EInvalidOperation for a null or empty
  // image.
  int Add(const TBitmap* image, const TBitmap* mask);
  // As Add, the mask made from the image: every pixel of maskColor is
  // transparent. clDefault takes the image's bottom-left pixel.
  int AddMasked(const TBitmap* image, TColor maskColor);
  // Inserts the images of image/mask before index (0..Count).
  void Insert(int index, const TBitmap* image, const TBitmap* mask);
  void InsertMasked(int index, const TBitmap* image, TColor maskColor);
  // Replaces the image at index with the first image of image/mask.
  void Replace(int index, const TBitmap* image, const TBitmap* mask);
  void ReplaceMasked(int index, const TBitmap* newImage, TColor maskColor);
  // Deletes the image at index; -1 deletes every image (as Clear).
  void Delete(int index);
  void Clear();
  // Moves the image at curIndex to newIndex, the others closing up.
  void Move(int curIndex, int newIndex);

  // Copies the image at index into image (Width x Height, not
  // transparent). EInvalidOperation for a bad index or a null bitmap.
  void GetBitmap(int index, TBitmap* image) const;
  // The mask of the image at index: a monochrome Width x Height bitmap,
  // white where the image is transparent (all black without a mask).
  void GetMask(int index, TBitmap* mask) const;
  // Whether the pixel (x, y) of the image at index is drawn.
  bool IsOpaque(int index, int x, int y) const;

  // Draws the image at index with its top-left corner at (x, y): the
  // opaque pixels only when Masked, every pixel otherwise. A disabled image
  // is drawn in clBtnShadow where it is opaque. Nothing is drawn on a
  // canvas without a bitmap.
  void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;

  // From another image list: size, appearance and every image (copies).
  // Other sources raise EConvertError.
  void Assign(const TPersistent* source) override;

  // Changes between BeginUpdate and the outermost EndUpdate raise one
  // OnChange at that EndUpdate (none when nothing changed).
  void BeginUpdate();
  void EndUpdate();

  // Raised after every change of the images or the size, with the list as
  // Sender, and passed to every registered change link.
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& handler) { FOnChange = handler; }

  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);

protected:
  // Raises OnChange and tells the links (or notes the change during an
  // update).
  virtual void Change();

private:
  struct TImage {
    TBitmap Image;
    TBitmap Mask;  // monochrome, white = transparent
  };

  void CheckIndex(int index, const char* operation) const;
  void CheckSize(int value, const char* what) const;
  void CheckSource(const TBitmap* image, const char* operation) const;
  // Cuts image/mask into images of the list's size.
  std::vector<std::unique_ptr<TImage>> Split(const TBitmap& image, const TBitmap* mask) const;
  static void MakeMask(const TBitmap& image, TColor maskColor, TBitmap& mask);

  int FWidth = kDefaultSize;
  int FHeight = kDefaultSize;
  int FAllocBy = 4;
  TColor FBkColor = clNone;
  TColor FBlendColor = clNone;
  TDrawingStyle FDrawingStyle = dsNormal;
  TImageType FImageType = itImage;
  bool FMasked = true;
  bool FShareImages = false;
  std::vector<std::unique_ptr<TImage>> FImages;
  std::vector<TChangeLink*> FLinks;
  int FUpdateCount = 0;
  bool FChangedInUpdate = false;
  TNotifyEvent FOnChange;
};

// The published image list.
class TImageList : public TCustomImageList {
  KULR_CLASS(TImageList, TCustomImageList)
  using TCustomImageList::TCustomImageList;
};

// Registers TCustomImageList, TImageList and the enumerations they publish.
void RegisterImgListClasses();
