#include "platform/vcl/ImgList.h"

#include <algorithm>

#include "platform/rtl/NumConv.h"
#include "platform/vcl/ClassBuilder.h"

// ---- TChangeLink ----

TChangeLink::~TChangeLink() {
  if (FSender != nullptr) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (FOnChange) FOnChange(FSender);
}

// ---- TCustomImageList ----

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::TCustomImageList(TComponent* owner, int width, int height)
    : TComponent(owner) {
  CheckSize(width, "width");
  CheckSize(height, "height");
  FWidth = width;
  FHeight = height;
}

TCustomImageList::~TCustomImageList() {
  // Links that outlive the list must not call back into it.
  for (TChangeLink* link : FLinks) link->FSender = nullptr;
}

const TClass& TCustomImageList::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomImageList>().Build();
  return record;
}

const TClass& TImageList::StaticClass() {
  static const TClass& record = TClassBuilder<TImageList>()
      .Property("AllocBy", &TImageList::AllocBy, &TImageList::SetAllocBy).Default(4)
      .Property("BlendColor", &TImageList::BlendColor, &TImageList::SetBlendColor).Default(clNone)
      .Property("BkColor", &TImageList::BkColor, &TImageList::SetBkColor).Default(clNone)
      .Property("DrawingStyle", &TImageList::DrawingStyle, &TImageList::SetDrawingStyle).Default(dsNormal)
      .Property("Height", &TImageList::Height, &TImageList::SetHeight).Default(kDefaultSize)
      .Property("ImageType", &TImageList::ImageType, &TImageList::SetImageType).Default(itImage)
      .Property("Masked", &TImageList::Masked, &TImageList::SetMasked).Default(true)
      .Property("OnChange", &TImageList::OnChange, &TImageList::SetOnChange)
      .Property("ShareImages", &TImageList::ShareImages, &TImageList::SetShareImages).Default(false)
      .Property("Width", &TImageList::Width, &TImageList::SetWidth).Default(kDefaultSize)
      .Factory()
      .Build();
  return record;
}

void RegisterImgListClasses() {
  RegisterClasses({&TCustomImageList::StaticClass(), &TImageList::StaticClass()});
}

void TCustomImageList::CheckSize(int value, const char* what) const {
  if (value < 1 || value > kMaxSize)
    throw EInvalidOperation("Image list " + GetNamePath() + ": image " + what + " " +
                            IntToStr(value) + " is outside 1.." + IntToStr(kMaxSize));
}

void TCustomImageList::CheckIndex(int index, const char* operation) const {
  if (index < 0 || index >= Count())
    throw EInvalidOperation("Image list " + GetNamePath() + ": " + operation + ": index " +
                            IntToStr(index) + " is outside the " + IntToStr(Count()) +
                            " images of the list");
}

void TCustomImageList::CheckSource(const TBitmap* image, const char* operation) const {
  if (image == nullptr || image->Empty())
    throw EInvalidOperation("Image list " + GetNamePath() + ": " + operation +
                            ": no image (null or empty bitmap)");
}

void TCustomImageList::Change() {
  if (FUpdateCount > 0) {
    FChangedInUpdate = true;
    return;
  }
  if (FOnChange) FOnChange(this);
  // A handler may unregister links: walk a copy.
  const std::vector<TChangeLink*> links = FLinks;
  for (TChangeLink* link : links)
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) link->Change();
}

void TCustomImageList::BeginUpdate() { ++FUpdateCount; }

void TCustomImageList::EndUpdate() {
  if (FUpdateCount == 0)
    throw EInvalidOperation("Image list " + GetNamePath() + ": EndUpdate without BeginUpdate");
  if (--FUpdateCount == 0 && FChangedInUpdate) {
    FChangedInUpdate = false;
    Change();
  }
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
  if (link == nullptr) return;
  if (link->FSender == this) return;
  if (link->FSender != nullptr) link->FSender->UnRegisterChanges(link);
  link->FSender = this;
  FLinks.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
  if (link == nullptr) return;
  auto it = std::find(FLinks.begin(), FLinks.end(), link);
  if (it == FLinks.end()) return;
  FLinks.erase(it);
  link->FSender = nullptr;
}

void TCustomImageList::SetWidth(int value) {
  CheckSize(value, "width");
  if (value == FWidth) return;
  FWidth = value;
  FImages.clear();
  Change();
}

void TCustomImageList::SetHeight(int value) {
  CheckSize(value, "height");
  if (value == FHeight) return;
  FHeight = value;
  FImages.clear();
  Change();
}

void TCustomImageList::SetBkColor(TColor value) {
  if (value == FBkColor) return;
  FBkColor = value;
  Change();
}

void TCustomImageList::SetBlendColor(TColor value) { FBlendColor = value; }

void TCustomImageList::SetDrawingStyle(TDrawingStyle value) {
  if (value == FDrawingStyle) return;
  FDrawingStyle = value;
  Change();
}

void TCustomImageList::SetImageType(TImageType value) {
  if (value == FImageType) return;
  FImageType = value;
  Change();
}

void TCustomImageList::SetMasked(bool value) {
  if (value == FMasked) return;
  FMasked = value;
  FImages.clear();
  Change();
}

void TCustomImageList::MakeMask(const TBitmap& image, TColor maskColor, TBitmap& mask) {
  mask.Assign(&image);
  const TColor color =
      maskColor == clDefault ? image.Pixel(0, image.Height() - 1) : ColorToRGB(maskColor);
  mask.Mask(color);
}

std::vector<std::unique_ptr<TCustomImageList::TImage>> TCustomImageList::Split(
    const TBitmap& image, const TBitmap* mask) const {
  const int pieces = std::max(1, image.Width() / FWidth);
  std::vector<std::unique_ptr<TImage>> result;
  result.reserve(pieces);
  for (int n = 0; n < pieces; ++n) {
    auto piece = std::make_unique<TImage>();
    piece->Image.SetSize(FWidth, FHeight);
    piece->Mask.SetSize(FWidth, FHeight);
    piece->Mask.SetMonochrome(true);
    const int left = n * FWidth;
    for (int y = 0; y < FHeight; ++y) {
      for (int x = 0; x < FWidth; ++x) {
        const int sx = left + x;
        const bool inside = sx < image.Width() && y < image.Height();
        if (!inside) {
          // Beyond a smaller source: nothing there, so nothing is drawn.
          piece->Mask.SetPixel(x, y, clWhite);
          continue;
        }
        piece->Image.SetPixel(x, y, image.Pixel(sx, y));
        const bool transparent = FMasked && mask != nullptr && sx < mask->Width() &&
                                 y < mask->Height() && mask->Pixel(sx, y) == clWhite;
        piece->Mask.SetPixel(x, y, transparent ? clWhite : clBlack);
      }
    }
    result.push_back(std::move(piece));
  }
  return result;
}

int TCustomImageList::Add(const TBitmap* image, const TBitmap* mask) {
  const int index = Count();
  Insert(index, image, mask);
  return index;
}

int TCustomImageList::AddMasked(const TBitmap* image, TColor maskColor) {
  const int index = Count();
  InsertMasked(index, image, maskColor);
  return index;
}

void TCustomImageList::Insert(int index, const TBitmap* image, const TBitmap* mask) {
  if (index < 0 || index > Count())
    throw EInvalidOperation("Image list " + GetNamePath() + ": Insert: index " + IntToStr(index) +
                            " is outside 0.." + IntToStr(Count()));
  CheckSource(image, "Insert");
  auto pieces = Split(*image, mask);
  FImages.insert(FImages.begin() + index, std::make_move_iterator(pieces.begin()),
                 std::make_move_iterator(pieces.end()));
  Change();
}

void TCustomImageList::InsertMasked(int index, const TBitmap* image, TColor maskColor) {
  CheckSource(image, "InsertMasked");
  TBitmap mask;
  MakeMask(*image, maskColor, mask);
  Insert(index, image, &mask);
}

void TCustomImageList::Replace(int index, const TBitmap* image, const TBitmap* mask) {
  CheckIndex(index, "Replace");
  CheckSource(image, "Replace");
  auto pieces = Split(*image, mask);
  FImages[index] = std::move(pieces.front());
  Change();
}

void TCustomImageList::ReplaceMasked(int index, const TBitmap* newImage, TColor maskColor) {
  CheckIndex(index, "ReplaceMasked");
  CheckSource(newImage, "ReplaceMasked");
  TBitmap mask;
  MakeMask(*newImage, maskColor, mask);
  Replace(index, newImage, &mask);
}

void TCustomImageList::Delete(int index) {
  if (index == -1) {
    Clear();
    return;
  }
  CheckIndex(index, "Delete");
  FImages.erase(FImages.begin() + index);
  Change();
}

void TCustomImageList::Clear() {
  if (FImages.empty()) return;
  FImages.clear();
  Change();
}

void TCustomImageList::Move(int curIndex, int newIndex) {
  CheckIndex(curIndex, "Move");
  CheckIndex(newIndex, "Move");
  if (curIndex == newIndex) return;
  auto image = std::move(FImages[curIndex]);
  FImages.erase(FImages.begin() + curIndex);
  FImages.insert(FImages.begin() + newIndex, std::move(image));
  Change();
}

void TCustomImageList::GetBitmap(int index, TBitmap* image) const {
  CheckIndex(index, "GetBitmap");
  if (image == nullptr)
    throw EInvalidOperation("Image list " + GetNamePath() + ": GetBitmap: no bitmap to copy into");
  image->Assign(&FImages[index]->Image);
}

void TCustomImageList::GetMask(int index, TBitmap* mask) const {
  CheckIndex(index, "GetMask");
  if (mask == nullptr)
    throw EInvalidOperation("Image list " + GetNamePath() + ": GetMask: no bitmap to copy into");
  mask->Assign(&FImages[index]->Mask);
}

bool TCustomImageList::IsOpaque(int index, int x, int y) const {
  CheckIndex(index, "IsOpaque");
  return FImages[index]->Mask.Pixel(x, y) != clWhite;
}

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const {
  CheckIndex(index, "Draw");
  TBitmap* target = canvas.Bitmap();
  if (target == nullptr) return;
  const TImage& source = *FImages[index];
  // Composed off-canvas and copied in once, so that the canvas reports one
  // change however many pixels the image has.
  TBitmap composed;
  composed.SetSize(FWidth, FHeight);
  const TRect area{x, y, x + FWidth, y + FHeight};
  composed.Canvas().CopyRect(TRect{0, 0, FWidth, FHeight}, canvas, area);
  const TColor shadow = ColorToRGB(clBtnShadow);
  for (int py = 0; py < FHeight; ++py) {
    for (int px = 0; px < FWidth; ++px) {
      const int tx = x + px, ty = y + py;
      if (tx < 0 || ty < 0 || tx >= target->Width() || ty >= target->Height()) continue;
      const bool opaque = !FMasked || source.Mask.Pixel(px, py) != clWhite;
      if (!opaque) continue;
      composed.SetPixel(px, py, enabled ? source.Image.Pixel(px, py) : shadow);
    }
  }
  canvas.Draw(x, y, composed);
}

void TCustomImageList::Assign(const TPersistent* source) {
  const auto* list = dynamic_cast<const TCustomImageList*>(source);
  if (list == nullptr) {
    TComponent::Assign(source);
    return;
  }
  if (list == this) return;
  std::vector<std::unique_ptr<TImage>> images;
  images.reserve(list->FImages.size());
  for (const auto& image : list->FImages) {
    auto copy = std::make_unique<TImage>();
    copy->Image.Assign(&image->Image);
    copy->Mask.Assign(&image->Mask);
    images.push_back(std::move(copy));
  }
  FWidth = list->FWidth;
  FHeight = list->FHeight;
  FAllocBy = list->FAllocBy;
  FBkColor = list->FBkColor;
  FBlendColor = list->FBlendColor;
  FDrawingStyle = list->FDrawingStyle;
  FImageType = list->FImageType;
  FMasked = list->FMasked;
  FShareImages = list->FShareImages;
  FImages = std::move(images);
  Change();
}
