#include "capture/overlay_form.h"

#include <windowsx.h>

#include "capture/grab_area.h"
#include "capture/picture_file.h"
#include "capture/random_name.h"
#include "capture/screen_grab.h"
#include "capture/veil_free_copy_win32.h"
#include "toolkit/application.h"
#include "toolkit/canvas.h"
#include "toolkit/handles.h"

namespace {

void BringApplicationToFront() {
  if (Application != nullptr) SetForegroundWindow(Application->Handle());
}

TMouseButton ButtonOf(UINT message) {
  switch (message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
      return TMouseButton::mbRight;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
      return TMouseButton::mbMiddle;
    default:
      return TMouseButton::mbLeft;
  }
}

}  // namespace

TForm3* Form3 = nullptr;

TForm3::TForm3(TComponent* owner)
    : TForm(owner), Label1(std::make_unique<TLabel>("Выделите область экрана", 8, 8, L"MS Sans Serif", 21)) {
  windowState_ = TWindowState::wsMaximized;
  HWND window = Handle();
  SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  SetAlphaBlendValue(kVeilAlpha);
  PictureFolders = DefaultPictureFolders();
}

void TForm3::CreateParams(TCreateParams& params) {
  params.WindowClassName = "TForm3";
  params.Caption = "Form3";
  params.Style = WS_POPUP | WS_CLIPSIBLINGS;
  params.X = 0;
  params.Y = 0;
  params.Width = GetSystemMetrics(SM_CXSCREEN);
  params.Height = GetSystemMetrics(SM_CYSCREEN);
}

void TForm3::SetAlphaBlendValue(BYTE alpha) {
  if (alpha == alpha_) return;
  alpha_ = alpha;
  SetLayeredWindowAttributes(Handle(), 0, alpha, LWA_ALPHA);
}

LRESULT TForm3::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETMINMAXINFO: {
      // Maximised means the whole primary screen, over any taskbar.
      LRESULT result = DefaultHandler(message, wParam, lParam);
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMaxPosition = {0, 0};
      info->ptMaxSize = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
      return result;
    }
    case WM_SHOWWINDOW:
      pressedSinceShown_ = false;
      break;
    case WM_PAINT: {
      ScopedPaint paint(Handle());
      TCanvas canvas(paint.dc());
      Label1->Paint(canvas);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      // Moves and the release keep coming while a button is held, even off the overlay.
      SetCapture(Handle());
      FormMouseDown(ButtonOf(message), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_MOUSEMOVE:
      FormMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:  // how keys come while the application window is minimised
      if (wParam != VK_ESCAPE) break;
      // A way back out of a veil raised by accident, with nothing sent.
      if (GetCapture() == Handle()) ReleaseCapture();
      EndGrab();
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && GetCapture() == Handle())
        ReleaseCapture();
      FormMouseUp(ButtonOf(message), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
  }
  return TForm::WndProc(message, wParam, lParam);
}

void TForm3::FormActivate() {
  ReseedRandom();
  SetWindowPos(Handle(), nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  dragging = false;
  BringApplicationToFront();
}

void TForm3::FormMouseDown(TMouseButton, int x, int y) {
  startX = x;
  startY = y;
  dragging = true;
  pressedSinceShown_ = true;
  movedSincePress_ = false;
  BringApplicationToFront();
}

void TForm3::FormMouseMove(int x, int y) {
  if (!dragging) return;
  BringApplicationToFront();
  // Straight onto the window, no buffer: the fill wipes the last frame and the caption.
  ScopedGetDC dc(Handle());
  TCanvas canvas(dc.get());
  canvas.SetBrushSystemColor(COLOR_BTNFACE);
  canvas.FillRect(canvas.ClipRect());
  canvas.SetPenColor(kFrameColor);
  canvas.Rectangle(startX, startY, x, y);
  endX = x;
  endY = y;
  movedSincePress_ = true;
}

void TForm3::FormMouseUp(TMouseButton, int x, int y) {
  // A release grabs only what was selected on this showing: a button already
  // held when the overlay appeared, or the second button of a grab that has
  // run, selected nothing here.
  if (!pressedSinceShown_) return;
  pressedSinceShown_ = false;
  // A press and a release without a move select nothing: the last drag point
  // is the press point, not the end of an earlier capture.
  Grab(startX, startY, movedSincePress_ ? endX : startX, movedSincePress_ ? endY : startY, x, y);
}

void TForm3::Grab(int fromX, int fromY, int toX, int toY, int releaseX, int releaseY) {
  BringApplicationToFront();
  const TGrabArea area = ComputeGrabArea(fromX, fromY, toX, toY, releaseX, releaseY);
  // A click, or a drag along one edge, selects nothing: an empty file is no
  // picture, and once posted to a public service it cannot be taken back.
  if (area.width == 0 || area.height == 0) return EndGrab();
  TVeil veil{VeilColor(), kVeilAlpha, [this] { SetAlphaBlendValue(1); }};
  SetAlphaBlendValue(kVeilAlpha);
  std::string path;
  try {
    path = ScreenGrab(area, veil, PictureFolders);
  } catch (...) {
    // The overlay goes with or without a picture: a lifted veil left over the
    // screen would take every click the user makes.
    EndGrab();
    throw;
  }
  EndGrab();
  if (OnGrabbed) OnGrabbed(path);
}

void TForm3::EndGrab() {
  dragging = false;
  SetAlphaBlendValue(kVeilAlpha);
  Close();
}
