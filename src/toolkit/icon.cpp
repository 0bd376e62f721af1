#include "toolkit/icon.h"

void TIcon::SetHandle(HICON icon) {
  icon_.reset(icon);
  Changed();
}

void TIcon::Assign(const TIcon& other) {
  icon_.reset(other.Empty() ? nullptr : CopyIcon(other.Handle()));
  Changed();
}

void TIcon::LoadFromResource(int id, int size) {
  icon_.reset(static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
  Changed();
}

void TIcon::Changed() {
  if (OnChange) OnChange();
}

void TImageList::GetIcon(int index, TIcon& target) const {
  if (index < 0 || index >= Count()) return;
  target.SetHandle(CopyIcon(icons_[static_cast<size_t>(index)].get()));
}
