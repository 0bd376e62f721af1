#pragma once
// Popup menus: a tree of items with captions (UTF-8), shown at a screen point
// by the system's menu loop.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "toolkit/component.h"

class TMenuItem {
 public:
  explicit TMenuItem(std::string name, std::string caption = {})
      : Name(std::move(name)), Caption(std::move(caption)) {}

  std::string Name;
  std::string Caption;
  std::string Hint;
  bool Visible = true;
  bool Enabled = true;
  bool Default = false;
  bool RadioItem = false;
  bool Checked = false;
  int GroupIndex = 0;
  std::function<void(TMenuItem*)> OnClick;

  TMenuItem* Add(std::unique_ptr<TMenuItem> item);
  const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
  void Click();

 private:
  std::vector<std::unique_ptr<TMenuItem>> items_;
};

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* owner) : TComponent(owner), Items("Items") {}

  bool AutoPopup = true;
  // The component that opened the menu last.
  TComponent* PopupComponent = nullptr;
  TMenuItem Items;

  // Shows the menu at a screen point and returns when it has closed; a chosen
  // item runs its handler before this returns.
  // owner receives the menu loop's messages and must be in the foreground.
  void Popup(int x, int y, HWND owner);

  // The system menu built from the items; the caller owns it. Item i of the
  // tree gets command id i + 1 in depth-first order.
  HMENU BuildMenu(std::vector<TMenuItem*>& commands) const;
};
