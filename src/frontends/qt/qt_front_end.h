// The Linux desktop front end's native objects, in one record: the window, its canvas, menu
// actions and scroll bars. The core never sees any of it; platform services reach it here.
#pragma once

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <cstdint>
#include <map>

#include "platform/platform.h"

class QAction;
class QMenu;
class QScrollBar;
class KeyboardCanvas;
class MainWindow;

struct QtSurface {
  QImage* target = nullptr;   // the canvas's backing image
  QFont font;                 // the font selected into the surface
  plat::Font fontId = 0;
  QRect touched;              // what was drawn, repainted when the surface is released
};

struct QtFrontEnd {
  QPointer<MainWindow> window;
  KeyboardCanvas* canvas = nullptr;
  QMenu* devicesMenu = nullptr;
  std::map<int32_t, QAction*> actions;  // menu items by command id
  std::map<int32_t, bool> marks;        // the check marks the core set, by command id
  QScrollBar* bars[3] = {nullptr, nullptr, nullptr};
  int32_t barPositions[3] = {0, 0, 0};  // positions the core set; Qt itself moves nothing
  std::map<plat::Font, QFont> fonts;
  plat::Font nextFont = 1;
  std::map<plat::Surface, QtSurface> surfaces;
  plat::Surface nextSurface = 1;
  bool releaselessRepeats = false;  // the X server sends a held key's repeats as presses alone
  bool destroyed = false;   // the shutdown sequence ran; the window is going away
  bool quitPosted = false;
  int32_t exitCode = 0;
};

QtFrontEnd& frontEnd();

// Builds the window (hidden), runs the core's creation sequence, creates the bars and shows the
// window. Returns false when the window destroyed itself during creation (no output device).
bool startFrontEnd();
// Closes what startFrontEnd opened when the loop has ended, and forgets the window.
void stopFrontEnd();

class QString;
// A file shipped with the program (the guide, the icon), wherever the program runs from; empty
// when it is nowhere.
QString dataFilePath(const QString& name);
