// bare-dialog: an empty Qt dialog of a given pixel size, nothing else. scripts/bench-panel runs it
// beside codepanel, at the panel's size, so that the panel's start-up time and memory read as a
// ratio to what Qt alone costs for a window that large.
#include <QApplication>
#include <QDialog>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "platform/dialog/first_frame_probe.h"

namespace {

constexpr char kUsage[] =
    "usage: bare-dialog WIDTH HEIGHT [--exit-after-first-frame] [Qt options]\n"
    "An empty dialog of WIDTH x HEIGHT pixels: the baseline of scripts/bench-panel.\n"
    "  --exit-after-first-frame  quit once the dialog has drawn its first frame\n";

constexpr int kMaxPixels = 16384;

bool ParsePixels(const char* text, int& pixels) {
  const char* end = text + std::strlen(text);
  const auto [next, error] = std::from_chars(text, end, pixels);
  return error == std::errc() && next == end && pixels > 0 && pixels <= kMaxPixels;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);  // takes Qt's own options out of argv
  bool exitAfterFirstFrame = false;
  bool usable = true;
  const char* sizes[2] = {};
  int sizeCount = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--exit-after-first-frame") == 0)
      exitAfterFirstFrame = true;
    else if (sizeCount < 2)
      sizes[sizeCount++] = argv[i];
    else
      usable = false;
  }
  int width = 0;
  int height = 0;
  if (!usable || sizeCount != 2 || !ParsePixels(sizes[0], width) ||
      !ParsePixels(sizes[1], height)) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  QDialog dialog;
  dialog.setFixedSize(width, height);
  platform::FirstFrameProbe endAfterFirstFrame;
  if (exitAfterFirstFrame)
    application.installEventFilter(&endAfterFirstFrame);
  dialog.exec();
  return 0;
}
