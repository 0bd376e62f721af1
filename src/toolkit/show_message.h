#pragma once
// The simple modal message window: the application title as caption, no icon,
// one OK button that Enter and Esc press too, centred on the screen. The
// calling thread keeps handling its messages until the user closes it.

#include <string>

void ShowMessage(const std::string& utf8Text);
