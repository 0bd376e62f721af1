#pragma once
// The static window procedure of a class whose objects have windows: it finds
// the object from the window and hands it the message.

#include <exception>

#include <windows.h>

#include "toolkit/message_box.h"

// The object kept in the window's user data, or none.
template <typename Object>
Object* UserDataObject(HWND window) {
  return reinterpret_cast<Object*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// The standard error box on the UI thread.
template <typename Object>
void ReportUiFailure(Object& /*self*/, const std::exception& e) {
  HandleUiException(e);
}

// Messages that find no object get the default handling. A failure must not
// unwind through the system's dispatcher: Fail reports it, and the result is 0.
template <typename Object, Object* (*Find)(HWND), LRESULT (Object::*Handle)(UINT, WPARAM, LPARAM),
          void (*Fail)(Object&, const std::exception&) = ReportUiFailure<Object>>
LRESULT CALLBACK WindowTrampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Object* self = Find(window);
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  try {
    return (self->*Handle)(message, wParam, lParam);
  } catch (const std::exception& e) {
    Fail(*self, e);
  }
  return 0;
}
