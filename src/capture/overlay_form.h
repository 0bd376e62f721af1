#pragma once
// The capture overlay: a borderless translucent veil over the primary screen
// on which the user drags the area to upload. Created hidden at start-up,
// shown by the take-screenshot command; a release grabs the area and hides
// it. A failed grab hides it too, and escapes to the standard error box. Esc,
// or a release that selected no area, hides it with nothing grabbed.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "toolkit/form.h"
#include "toolkit/canvas.h"

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

  // Where grabs write their pictures, in the order tried: the current
  // directory, the executable's folder, the temporary folder.
  std::vector<std::string> PictureFolders;

  // Fired once a grab has written its picture and the overlay is hidden,
  // with the picture's full path. Set by the program.
  std::function<void(const std::string& path)> OnGrabbed;

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
  void Grab(int fromX, int fromY, int toX, int toY, int releaseX, int releaseY);
  void EndGrab();

  BYTE alpha_ = 255;
  // Whether the release in hand ends a selection made on this showing: a
  // press since the overlay was shown or since the last release, and a drag
  // move since that press.
  bool pressedSinceShown_ = false;
  bool movedSincePress_ = false;
};

// The capture overlay: created hidden by the program's entry and shown by the
// take-screenshot command.
extern TForm3* Form3;
