#include <memory>

#include "toolkit/popup_menu.h"
#include "tray_test_support.h"

namespace {

testing::Environment* const kApplication = testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

class TrayMouse : public testing::Test {
 protected:
  TTrayIcon icon{nullptr};
  std::vector<std::string> events;

  void SetUp() override {
    icon.OnClick = [this](TTrayIcon*) { events.push_back("click"); };
    icon.OnMouseDown = [this](TTrayIcon*, TMouseButton b, TShiftState s, int, int) {
      events.push_back(std::string("down ") + Name(b) + (Flag(b, s) ? "+" : "-"));
    };
    icon.OnMouseUp = [this](TTrayIcon*, TMouseButton b, TShiftState, int, int) {
      events.push_back(std::string("up ") + Name(b));
    };
  }
  static const char* Name(TMouseButton b) {
    return b == TMouseButton::mbLeft ? "left" : b == TMouseButton::mbRight ? "right" : "middle";
  }
  static bool Flag(TMouseButton b, TShiftState s) {
    return b == TMouseButton::mbLeft ? s.ssLeft : b == TMouseButton::mbRight ? s.ssRight : s.ssMiddle;
  }
  // As the shell does: posted to the shared tray window, handled by the loop.
  void Send(UINT message) {
    PostMessageA(icon.RecordSnapshot().hWnd, kTrayCallbackMessage, icon.RecordSnapshot().uID, message);
    PumpFor(10);
  }
};

TEST_F(TrayMouse, WithoutDoubleClickHandlerClickFiresAtRelease) {
  Send(WM_LBUTTONDOWN);
  Send(WM_LBUTTONUP);
  EXPECT_EQ(events, (std::vector<std::string>{"down left+", "click", "up left"}));
  events.clear();
  PumpFor(GetDoubleClickTime() + 100);
  EXPECT_TRUE(events.empty()) << "no second click from the timer";
}

TEST_F(TrayMouse, WithDoubleClickHandlerOneClickFiresAfterTheDoubleClickTime) {
  icon.OnDblClick = [this](TTrayIcon*) { events.push_back("double"); };
  Send(WM_LBUTTONDOWN);
  Send(WM_LBUTTONUP);
  EXPECT_EQ(events, (std::vector<std::string>{"down left+", "up left"}));
  PumpFor(GetDoubleClickTime() + 200);
  EXPECT_EQ(events, (std::vector<std::string>{"down left+", "up left", "click"}));
}

TEST_F(TrayMouse, DoubleClickFiresDoubleAndNoClick) {
  icon.OnDblClick = [this](TTrayIcon*) { events.push_back("double"); };
  Send(WM_LBUTTONDOWN);
  Send(WM_LBUTTONUP);
  Send(WM_LBUTTONDBLCLK);
  Send(WM_LBUTTONUP);
  PumpFor(GetDoubleClickTime() + 200);
  EXPECT_EQ(events, (std::vector<std::string>{"down left+", "up left", "double", "up left"}));
}

TEST_F(TrayMouse, EachButtonReportsItselfAndDisabledIconIgnoresAll) {
  Send(WM_RBUTTONDOWN);
  Send(WM_RBUTTONUP);
  Send(WM_MBUTTONDOWN);
  Send(WM_MBUTTONUP);
  Send(0x209);  // not a notification of the table
  EXPECT_EQ(events, (std::vector<std::string>{"down right+", "up right", "down middle+", "up middle"}));
  events.clear();
  icon.Enabled = false;
  for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) Send(m);
  EXPECT_TRUE(events.empty());
}

TEST_F(TrayMouse, DoubleClickRunsTheMenusFirstDefaultItemUnlessLeftPopup) {
  TPopupMenu menu(nullptr);
  auto* plain = menu.Items.Add(std::make_unique<TMenuItem>("a", "a"));
  auto* first = menu.Items.Add(std::make_unique<TMenuItem>("b", "b"));
  auto* second = menu.Items.Add(std::make_unique<TMenuItem>("c", "c"));
  first->Default = second->Default = true;
  plain->OnClick = [this](TMenuItem*) { events.push_back("plain"); };
  first->OnClick = [this](TMenuItem*) { events.push_back("first default"); };
  second->OnClick = [this](TMenuItem*) { events.push_back("second default"); };
  icon.PopupMenu = &menu;
  Send(WM_LBUTTONDBLCLK);
  EXPECT_EQ(events, std::vector<std::string>{"first default"});
  events.clear();
  icon.LeftPopup = true;
  Send(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(events.empty());
  icon.LeftPopup = false;
  menu.AutoPopup = false;
  Send(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(events.empty());
  icon.PopupMenu = nullptr;
}

}  // namespace
