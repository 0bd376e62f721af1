#pragma once
// The service's two exchanges, as the program and the psl tool both make them.

// The version text, asked for at every start.
inline constexpr char kVersionTextPath[] = "/ver.txt";
// The upload of one picture.
inline constexpr char kUploadPath[] = "/pic/upload.php";

// The start-up's version request runs on the UI thread with the icon already
// shown: the whole exchange ends within this, which covers a connect that
// needs its SYN sent again and a reply of a few bytes on the slowest line.
inline constexpr int kVersionExchangeTimeout = 15000;
