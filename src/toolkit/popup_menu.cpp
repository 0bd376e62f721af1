#include "toolkit/popup_menu.h"

#include "toolkit/text.h"
#include "toolkit/handles.h"

TMenuItem* TMenuItem::Add(std::unique_ptr<TMenuItem> item) {
  items_.push_back(std::move(item));
  return items_.back().get();
}

void TMenuItem::Click() {
  if (Enabled && OnClick) OnClick(this);
}

namespace {

void AppendItems(HMENU menu, const TMenuItem& parent, std::vector<TMenuItem*>& commands) {
  for (const auto& item : parent.Items()) {
    if (!item->Visible) continue;
    std::wstring caption = Utf8ToWide(item->Caption);
    UINT flags = MF_STRING | (item->Enabled ? 0 : MF_GRAYED) | (item->Checked ? MF_CHECKED : 0);
    if (!item->Items().empty()) {
      HMENU sub = CreatePopupMenu();
      AppendItems(sub, *item, commands);
      AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), caption.c_str());
    } else {
      commands.push_back(item.get());
      AppendMenuW(menu, flags, commands.size(), caption.c_str());
      if (item->Default) SetMenuDefaultItem(menu, static_cast<UINT>(commands.size()), FALSE);
    }
  }
}

}  // namespace

HMENU TPopupMenu::BuildMenu(std::vector<TMenuItem*>& commands) const {
  HMENU menu = CreatePopupMenu();
  AppendItems(menu, Items, commands);
  return menu;
}

void TPopupMenu::Popup(int x, int y, HWND owner) {
  std::vector<TMenuItem*> commands;
  UniqueMenu menu(BuildMenu(commands));
  UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr));
  if (chosen >= 1 && chosen <= commands.size()) commands[chosen - 1]->Click();
}
