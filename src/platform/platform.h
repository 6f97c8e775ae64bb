// The services the core asks of the outside world. Each platform implements every function
// here once (the Qt front end with the Linux back ends, the Win32 front end), and the recording
// fake in tests/ does too. With events.h this is the whole line between the core and a
// platform: the core includes no toolkit or system header, and a platform makes no musical or
// geometric decision of its own. Every promise a platform must keep is written on its function.
//
// There is one main window per process, so the window, its menu, its bars and its drawing
// surfaces are implied rather than passed as handles. Once the window is destroyed, every
// window, menu, bar, drawing, timer and mouse service does nothing (the core may still ask for a
// repaint after Exit has destroyed the window); MIDI, file and location services go on working.
#pragma once

#include <cstddef>
#include <cstdint>

// A rectangle in pixels, right and bottom exclusive, as window systems use them.
struct Rect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;

  friend bool operator==(const Rect&, const Rect&) = default;
};

namespace plat {

// ---- MIDI output -------------------------------------------------------------------------
// Device ids: -1 is the mapper (the system's default route), 0..count-1 the numbered devices.

using MidiHandle = std::uintptr_t;  // opaque; 0 never names an open port

// Takes a fresh look at the system's devices and returns how many numbered devices there are
// now. The ids and names of the devices are those of the latest count until the next one, which
// may number them differently as devices come and go. A device that is open is in every count
// until it is closed, even when the system no longer offers it, though its id may move. Asked at
// start-up, and again each time the Devices menu opens (onDevicesMenuOpening, events.h).
int32_t midiOutCount();
// Room for a device's name and its terminator: the longest name any platform gives, a JACK
// port's full name ("client:port", up to 320 bytes), fits whole, so two devices whose names
// differ only far along are told apart.
constexpr std::size_t kDeviceNameSize = 321;
// Fills name with the device's name in UTF-8, whole; a platform whose system gives a longer one
// cuts it where a character ends. Returns false when the device (or, for -1, a mapper) does not
// exist.
bool midiOutProductName(int32_t deviceId, char (&name)[kDeviceNameSize]);
// Opens a device for output; false when it cannot be opened now. A handle is never 0.
bool midiOutOpen(int32_t deviceId, MidiHandle& handle);
// The id the open port's device has in the latest count (-1 for a port opened as the mapper);
// false for a handle that is not open.
bool midiOutDeviceId(MidiHandle handle, int32_t& deviceId);
// Sends one short message (status | data1 << 8 | data2 << 16). Never waits: when the device
// cannot take the message now (its server is gone, its buffer is full) the message is dropped.
void midiOutSend(MidiHandle handle, uint32_t word);
void midiOutClose(MidiHandle handle);

// ---- Menus (items addressed by command id) -----------------------------------------------

// Items come from menuTable() (events.h), with its texts and initial marks, all enabled.
void menuCheck(int32_t commandId, bool checked);
// Replaces an item's text and enabled state; a replaced item carries no check mark.
void menuSetItem(int32_t commandId, const char* text, bool grayed);
// Appends a plain item at the end of the popup marked devicesPopup in the menu table. The text
// is a device's name: an "&" in it is shown as it is, not taken for an access letter.
void menuAppendDevice(int32_t commandId, const char* text);
// Removes every item menuAppendDevice appended, so that the device items can be appended anew.
void menuRemoveDevices();

// ---- Dialogs -----------------------------------------------------------------------------

enum class BoxStyle : uint8_t {
  ErrorOk,             // error icon, OK
  WarningOk,           // warning icon, OK
  WarningRetryCancel,  // warning icon, Retry and Cancel
  PlainOk,             // no icon, OK
};
enum class BoxAnswer : uint8_t { Ok, Retry, Cancel };
enum class BeepKind : uint8_t { Error, Warning };

void beep(BeepKind kind);
// Modal, owned by the main window, captioned with the program's caption.
BoxAnswer messageBox(const char* text, BoxStyle style);

// ---- Main window -------------------------------------------------------------------------

// Outer rectangle in screen coordinates, as the window is now.
Rect windowRect();
// Outer rectangle the window has when restored: the same as windowRect() unless the window is
// minimised or maximised. This is what is worth remembering across runs.
Rect windowNormalRect();
// Work areas of the attached monitors, the primary one first, for keeping a restored window
// within reach.
// Writes at most capacity rectangles and returns how many there are.
int32_t screenWorkAreas(Rect* areas, int32_t capacity);
// Moves and sizes the outer window; width and height include frame, caption and menu bar.
void windowMove(int32_t left, int32_t top, int32_t width, int32_t height, bool repaint);
void windowSetTopmost(bool topmost);
// Destroys the main window; the front end calls onDestroy (events.h) before this returns.
void windowDestroy();
// Asks the main window to close as its close box does (which destroys it), synchronously.
void windowClose();
// Ends the event loop once control returns to it, with this exit code.
void postQuit(int32_t exitCode);
// The height of a one-line menu bar at the window's scale.
int32_t menuBarHeight();
// Marks the whole client area for repainting, erased to the background colour first.
void invalidateClient();

// ---- Timer -------------------------------------------------------------------------------

bool timerStart(int32_t id, int32_t periodMs);
void timerStop(int32_t id);

// ---- Mouse -------------------------------------------------------------------------------

void mouseCapture();
void mouseRelease();

// ---- Drawing surface ---------------------------------------------------------------------

using Surface = std::uintptr_t;
using Font = std::uintptr_t;  // 0 is "no font"

enum class Brush : uint8_t { Black, White };
enum class Colour : uint8_t { Black, White };

struct TextSize {
  int32_t width;
  int32_t height;
};

// A surface on the main window's client area, carrying the default interface font.
Surface surfaceGet();
void surfaceRelease(Surface surface);
// The surface of a paint pass; the invalid region has already been erased when asked for.
Surface paintBegin();
void paintEnd(Surface surface);

// A proportional sans-serif font: height is the cell height, width the average character width,
// both in the units of the default interface font's cell (textExtent on a fresh surface). A
// platform that shows its display at a scale makes the font at that scale, so that text in it
// measures in the surface's own pixels and the keys grow with the scale.
Font fontCreate(int32_t height, int32_t width, int32_t weight);
// Returns the font that was selected before.
Font fontSelect(Surface surface, Font font);
void fontDelete(Font font);
// In a font of fontCreate, in the surface's pixels. In the default interface font of a fresh
// surface, as the display shows it unscaled: the cell the key fonts are made from is the same at
// every scale.
TextSize textExtent(Surface surface, const char* text);
void fillRect(Surface surface, const Rect& rect, Brush brush);
// A one-pixel line along the inside of rect.
void frameRect(Surface surface, const Rect& rect, Brush brush);
// One line, centred both ways in rect, on an opaque background of the given colour.
void drawCentredText(Surface surface, const char* text, const Rect& rect, Colour text_colour,
                     Colour background);

// ---- Scroll bars (the three control bars) ------------------------------------------------

enum class Bar : uint8_t { Velocity = 0, Modulation = 1, PitchBend = 2 };

// Creates a bar as a child of the main window, visible, at (0, 0) with size 0 x 0, so that it
// shows nothing until it is placed: a start with the bars switched on shows them at the first
// size pass without a barShow, and a start with them off keeps them unseen until they are shown
// and placed. The range starts at 0..0 with the thumb at 0. A bar never moves its own thumb:
// clicks and drags are reported (onModulationScroll, onVerticalScroll) and the core sets the
// position. Clicking a bar may take the keyboard focus; that is not a loss of the focus.
void barCreate(Bar bar, bool vertical);
void barSetRange(Bar bar, int32_t minimum, int32_t maximum, bool redraw);
void barSetPosition(Bar bar, int32_t position, bool redraw);
// The text a bar shows while the pointer rests on it: the bar's name and the value its thumb
// stands for. Follows every barSetPosition; a platform without such tips may ignore it.
void barSetTip(Bar bar, const char* text);
void barShow(Bar bar, bool visible);
void barMove(Bar bar, int32_t x, int32_t y, int32_t width, int32_t height);
// Gives the keyboard focus back to the main window, so note keys keep reaching it.
void focusMainWindow();

// ---- Help and the web --------------------------------------------------------------------

// Opens the program's guide at its contents. helpPath names the help file beside the executable
// (the core never passes a path that names no file). A platform whose viewer cannot open that
// file opens the program's own guide instead, and says where the guide is when nothing can
// show it.
void helpOpenContents(const char* helpPath);
void helpOpenOwnHelp();
void helpQuit(const char* helpPath);
void openUrl(const char* url);

// ---- Locations ---------------------------------------------------------------------------

// Room for the longest path a platform hands out, in UTF-8 bytes with the terminator: Windows'
// long paths of 32,767 UTF-16 units at up to 3 bytes each (Linux allows 4,096 bytes).
constexpr std::size_t kLongestPath = 32767 * 3 + 1;

// The executable's full path, cut to capacity - 1 bytes and always terminated.
// Returns the number of bytes written; with kLongestPath of room the path is whole.
std::size_t executablePath(char* buffer, std::size_t capacity);
// A path whose directory part (up to its last separator) is where the settings file lives:
// the executable's own path on Windows, a file name inside the user's configuration folder on
// Linux. Same contract as executablePath.
std::size_t settingsBasePath(char* buffer, std::size_t capacity);
// A path whose directory part holds settings to start from while the settings folder has none
// yet: on Windows the executable's own folder when the settings live elsewhere because that
// folder cannot be written, so that settings put beside the program for every user still give the
// first start. 0 (an empty path) where there is no such folder. Same contract as executablePath.
std::size_t settingsFallbackBasePath(char* buffer, std::size_t capacity);

// ---- Files (the settings file and its companions) --------------------------------------------
// The core encodes and decodes the bytes; how a file is read and replaced safely is the
// platform's business.

// Reads at most capacity bytes of the regular file at path. Anything that is not a regular file
// (a folder, a pipe, a device) or cannot be read gives 0 at once, never a wait.
std::size_t fileReadSmall(const char* path, uint8_t* buffer, std::size_t capacity);
// Replaces the file at path with these bytes, whole or not at all: after a failure the old file
// is byte for byte as it was. A link keeps its place and its target gets the new content; a file
// the user made read-only is left alone (false). Returns true when the new bytes are in place.
bool fileReplace(const char* path, const uint8_t* bytes, std::size_t size);

}  // namespace plat
