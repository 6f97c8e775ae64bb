// The Windows front end's native objects in one record: the main window, its control bars, the
// paint pass in progress. The core never sees any of it; the platform services reach it here.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "platform/events.h"
#include "platform/platform.h"

struct Win32FrontEnd {
  HINSTANCE instance = nullptr;
  HWND window = nullptr;      // the main window from its creation until it is destroyed, else null
  HWND bars[3] = {};          // by plat::Bar; children of the main window, gone with it
  HWND tips = nullptr;        // the bars' tips (a tooltip control owned by the main window)
  std::vector<int32_t> deviceItems;  // command ids of the items appended to the Devices popup
  PAINTSTRUCT paint{};        // the paint pass in progress (paints never nest)
  bool closing = false;       // destruction has begun: focus and capture changes are our own
  bool winHelpOpened = false; // the help viewer was asked for the help file, so it is told to quit
  UINT dpi = 96;              // the scale of the monitor under the window, in dots per inch
  UINT cellDpi = 96;          // the scale the default font's cell was measured at
};

Win32FrontEnd& frontEnd();

// The program's entry in pieces, so that in-process tests run exactly what WinMain runs.
// Registers the window class "Plinkett" with the menu "Plinkett" and the icon "PLINKETT" of the
// given module.
void registerMainWindowClass(HINSTANCE instance);
enum class StartResult : uint8_t {
  Shown,     // the window is up: run the message loop
  Ended,     // the window destroyed itself during creation (no output device); the quit request
             // is posted, so the message loop ends at once
  NoWindow,  // no window could be created: nothing of the core ran and nothing could end a loop
};
// Creates the main window (hidden), runs the core's whole start, and shows the window unless it
// destroyed itself during creation.
StartResult startFrontEnd(HINSTANCE instance, int showCommand);
// Returns the exit code of the quit request, or 1 when the queue fails.
int runMessageLoop();
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The restored rectangle that GetWindowPlacement gives is in workspace coordinates, which start
// at the work area's corner (not the screen's when a taskbar lies at the top or left).
Rect screenFromWorkspace(const RECT& workspace, const RECT& monitor, const RECT& workArea);

// Position of the popup on the menu bar that device items are appended to.
int devicesPopupPosition();

// ---- Text and paths at the line: the core's strings are UTF-8, Windows' wide ones UTF-16 -------

std::wstring wideFromUtf8(const char* text);
std::string utf8FromWide(const wchar_t* text, std::size_t length);
inline std::string utf8FromWide(const std::wstring& text) { return utf8FromWide(text.c_str(), text.size()); }
// Copies as much of the text as fits before the terminator, ending at a whole character.
std::size_t copyWholeCharacters(const std::string& utf8, char* buffer, std::size_t capacity);
// A path into a buffer of the core, in UTF-8, cut to capacity - 1 bytes and always terminated.
std::size_t copyPathCut(const std::wstring& path, char* buffer, std::size_t capacity);
// A path of the core for the wide file functions; one too long for the classic limit takes the
// \\?\ form that lifts it.
std::wstring widePath(const char* path);
// The executable's full path, however long.
std::wstring modulePath();
// Up to and including the last separator; empty when there is none.
std::wstring folderOf(const std::wstring& path);

// ---- Files -----------------------------------------------------------------------------------

// Whether a file can be made in the folder (a path ending in its separator): the temporary file a
// save makes is made there, and deleted.
bool canCreateFilesIn(const std::wstring& folder);

// ---- The display's scale -------------------------------------------------------------------

constexpr UINT kUnscaledDpi = 96;
// The scale of the monitor the window is on (the whole screen's where Windows cannot tell).
UINT windowDpi(HWND window);
// A system metric at a scale.
int systemMetricAt(int index, UINT dpi);
// The extent of text in the default interface font, as the display shows it unscaled; the scale
// it was measured at comes back in measuredAtDpi.
SIZE unscaledDefaultTextExtent(const std::wstring& text, UINT& measuredAtDpi);
