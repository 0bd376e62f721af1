#pragma once
// The form base class: one top-level window owned by the application window,
// with the handler names that forms override.

#include <string>

#include <windows.h>

#include "toolkit/component.h"
#include "toolkit/handles.h"

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

struct TCreateParams {
  // The window class, which tests and other programs find the window by: the
  // form's own class name ("TForm1"), set where the form is defined.
  std::string WindowClassName = "TForm";
  std::string Caption;
  DWORD Style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  DWORD ExStyle = 0;
  int X = CW_USEDEFAULT, Y = CW_USEDEFAULT, Width = 0, Height = 0;
};

class TForm : public TComponent {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  // The window, created on first use.
  HWND Handle();
  bool HandleAllocated() const { return static_cast<bool>(window_); }

  void Show();
  void Hide();
  bool Visible() const;
  void Close();
  TWindowState WindowState() const { return windowState_; }
  // The state in which Show shows it next.
  void SetWindowState(TWindowState state) { windowState_ = state; }

  // Called once by the application after construction: loading finished, then FormCreate.
  void AfterConstruction();

 protected:
  virtual void CreateParams(TCreateParams& params);
  // Every message of the window; the default does the toolkit's handling.
  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);

  virtual void FormCreate() {}
  virtual void FormActivate() {}
  virtual void FormClose(TCloseAction& /*action*/) {}

  TWindowState windowState_ = TWindowState::wsNormal;

 private:
  static TForm* FromWindow(HWND window);

  UniqueHwnd window_;
};
