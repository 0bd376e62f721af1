#pragma once
// The application object: the hidden application window that carries the
// taskbar button, the main form, hooks on the application window's messages,
// minimise and restore, and the message loop.

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

#include "toolkit/component.h"
#include "toolkit/handles.h"

class TForm;

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

class TApplication : public TComponent {
 public:
  // Returns true when it consumed the message.
  using Hook = std::function<bool(TMessage&)>;
  using HookId = int;

  TApplication();
  ~TApplication() override;

  // COM in a single-threaded apartment, the application window.
  void Initialize();

  // Creates a form owned by the application; the first becomes the main form.
  // The reference is set before the form's creation handler runs.
  // Further arguments go to the form's constructor after its owner.
  template <typename Form, typename... Args>
  void CreateForm(Form*& reference, Args&&... args) {
    auto* form = new Form(this, std::forward<Args>(args)...);
    reference = form;
    if (mainForm_ == nullptr) mainForm_ = form;
    AfterFormCreated(form);
  }

  void Run();
  void Minimize();
  void Restore();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // True from the first Terminate on, before the loop reaches the quit
  // request: a message's modal loop may run the exit command meanwhile.
  bool TerminateRequested() const { return terminateRequested_; }
  void ProcessMessages();
  void HandleException(const std::exception& e);

  HWND Handle() const { return window_.get(); }
  TForm* MainForm() const { return mainForm_; }
  std::string Title() const { return title_; }

  // Whether Run shows the main form at all.
  bool ShowMainForm = true;

  HookId HookMainWindow(Hook hook);
  void UnhookMainWindow(HookId id);

  // The form that last received the focus; cleared when it is hidden or destroyed.
  TForm* FocusedForm() const { return focusedForm_; }
  void SetFocusedForm(TForm* form) { focusedForm_ = form; }
  void FormGone(TForm* form);

 private:
  void AfterFormCreated(TForm* form);
  bool ProcessMessage(MSG& msg);
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

  std::string title_;
  UniqueHwnd window_;
  TForm* mainForm_ = nullptr;
  TForm* focusedForm_ = nullptr;
  bool terminated_ = false;
  bool terminateRequested_ = false;
  bool comInitialized_ = false;
  std::vector<std::pair<HookId, Hook>> hooks_;
  HookId nextHookId_ = 1;
};

extern TApplication* Application;
