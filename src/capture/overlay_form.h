#pragma once
// The capture overlay: a borderless translucent veil over the primary screen
// on which the user drags the area to upload. Created hidden at start-up,
// shown by the take-screenshot command, hidden again by the grab.

#include <functional>
#include <memory>
#include <string>

#include <windows.h>

#include "toolkit/form.h"
#include "toolkit/label.h"

class TForm3 : public TForm {
 public:
  explicit TForm3(TComponent* owner);

  // The veil's opacity while it is up, of 255.
  static constexpr BYTE kVeilAlpha = 150;
  // The selection frame's colour.
  static constexpr COLORREF kFrameColor = RGB(50, 150, 250);

  // Selection state, in client coordinates, which are screen coordinates.
  int startX = 0, startY = 0;
  int endX = 0, endY = 0;
  bool dragging = false;

  std::unique_ptr<TLabel> Label1;

  // Where the grab hands its result on: the picture's file name, as soon as
  // it is drawn, and the start of its upload. Set by the program.
  std::function<void(const std::string&)> OnImageFileName;
  std::function<void()> OnStartUpload;

  BYTE AlphaBlendValue() const { return alpha_; }
  // Calls the system only when the value changes.
  void SetAlphaBlendValue(BYTE alpha);

  void FormMouseDown(TMouseButton button, int x, int y);
  void FormMouseMove(int x, int y);
  void FormMouseUp(TMouseButton button, int x, int y);

 protected:
  void CreateParams(TCreateParams& params) override;
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void FormActivate() override;

 private:
  void Paint();

  BYTE alpha_ = 255;
  // Whether the release in hand ends a selection made on this showing: a
  // press since the overlay was shown or since the last release, and a drag
  // move since that press.
  bool pressedSinceShown_ = false;
  bool movedSincePress_ = false;
};
