// The calls a front end makes into the core, and the data they carry. With platform.h this is
// the whole line between the core and a front end: a front end includes these two headers and
// nothing else of the core. It turns each native event into one call below and makes no musical
// or geometric decision of its own; everything it must show or do comes back through platform.h.
//
// Every call runs on the thread that owns the main window, one at a time. Some calls nest: a
// call may make the core ask for a window change that the platform reports straight back (a
// size change, the destruction), and the front end then makes the matching call at once.
#pragma once

#include <cstdint>
#include <span>

#include "platform/platform.h"

// ---- The program itself ----------------------------------------------------------------------

namespace text {
// The main window's caption, and the caption of every message box.
inline constexpr const char* kCaption = "Plinkett Freeware";
// What a help request says when no guide is there to open; front ends that look for the guide
// themselves say it too.
inline constexpr const char* kGuideNotFound = "The user's guide cannot be found.";
// What a front end says when nothing can show the guide it found; the guide's path follows.
inline constexpr const char* kGuideIsTheFile = "The user's guide could not be opened in a web browser.\n\nIt is the file\n";
}  // namespace text

namespace guide {
// The guide's section on the guide itself, which Help > Using Help opens.
inline constexpr const char* kUsingSection = "using-this-guide";
}  // namespace guide

namespace program {
inline constexpr const char* kName = "Plinkett";
inline constexpr const char* kVersion = "2.04";
}  // namespace program

// ---- The start and the end -------------------------------------------------------------------

// Before anything of the window exists (the toolkit need not have started): the device the
// start is going to open, as the settings files name it: its saved id (-1 for the mapper) and
// its whole remembered name (empty when none is). False when the start opens no device. A front
// end may begin making a slow device ready meanwhile; the start decides as always, and nothing
// of the program's state is changed.
bool deviceOpenedAtStart(int32_t& deviceId, char (&name)[plat::kDeviceNameSize]);

// The whole start, once the main window exists (hidden) with its menu bar: the creation
// sequence (settings, timer, fonts, devices, placement, menu marks, opening the device), then
// the three control bars and a size pass that places them. Returns false when the window
// destroyed itself during creation (there is no output device): the front end then shows
// nothing and ends its loop on the quit request already posted. Otherwise the front end shows
// the window and runs its loop.
bool startMainWindow();

// The shutdown sequence: the front end calls it when the main window is being destroyed, while
// the window, its menu and the open port still exist. It saves the settings, closes the device
// and posts the quit request. Runs at most once; later calls do nothing.
void onDestroy();

// The process is ending without the shutdown sequence (its display went away under it): the open
// port gets the all-notes-off of a close and is closed, so nothing keeps sounding. No window, menu
// or file service is used. Does nothing after a whole shutdown.
void onAbruptEnd();

// ---- The keyboard ----------------------------------------------------------------------------

// Virtual-key codes of the keys with fixed duties (recognised by meaning, not position).
namespace vk {
constexpr int32_t kEnter = 13;  // also keypad Enter
constexpr int32_t kEscape = 27;
constexpr int32_t kSpace = 32;
constexpr int32_t kUp = 38;
constexpr int32_t kDown = 40;
constexpr int32_t kKeypadPlus = 107;
constexpr int32_t kKeypadMinus = 109;
}  // namespace vk

// Shift and Ctrl as they were when the event happened (either key of each pair), not as they
// are when it is handled.
struct Modifiers {
  bool shift = false;
  bool ctrl = false;
};

// One key-down or key-up, in the terms of a PC keyboard whatever the platform: the note keys are
// chosen by the scan code (the key's place), the keys with fixed duties by the virtual key (its
// meaning).
struct KeyMessage {
  bool release;
  int32_t virtualKey;  // one of vk:: for the keys with fixed duties, anything else otherwise
  uint8_t scanCode;    // the code a PC keyboard reports for the key (for an extended key, the
                       // byte after its E0 prefix); kNoScanCode for a key it has no code for
  bool autoRepeat;     // a press made by the key's own auto-repeat; a release is never one
  Modifiers modifiers;
};

// A key a PC keyboard has no scan code for: it plays no note.
constexpr uint8_t kNoScanCode = 0xFF;

// Every key-down and key-up that reaches the main window, except system keys (keys pressed
// with Alt held, and F10), which stay with the platform (menu access letters).
void handleKeyMessage(const KeyMessage& message);

// ---- The mouse -------------------------------------------------------------------------------

// A press or release of the left button in the client area (a release arrives wherever the
// pointer is, while the press holds the capture). x and y: the pointer in client pixels.
void handleMouseButton(bool release, int32_t x, int32_t y, Modifiers modifiers);

// The window lost the keyboard focus to another window: not to its own menu (that is
// onMenuTakesKeyboard), and not to one of its own control bars. Ends every note the player can no
// longer release.
void onFocusLost();
// The window's own menu took the keyboard: the menu bar or one of its popups opened (a click, Alt,
// F10 or an access key), so the releases of the keys held now go to the menu. Ends what the player
// can no longer release, as a loss of the focus does. A note ended here is not ended again when
// its key's release reaches the window after the menu has closed.
void onMenuTakesKeyboard();
// The mouse capture was taken away (the platform reports this also when the core let it go; the
// core tells the two apart).
void onMouseCaptureLost();

// ---- The window ------------------------------------------------------------------------------

// The client area's size changed (also on minimising: 0 x 0). Places the keys and the bars.
void applyClientSize(uint16_t width, uint16_t height);
// The client area must be painted: every key is drawn released on the surface of plat::paintBegin.
void paintKeyboard();
// The scale of the display under the window changed (the window moved to a monitor of another
// scale, or the player changed the scale): the key fonts are made anew, which plat::fontCreate
// does at the new scale, the character cell is measured again, and the keys are placed in the
// client area as it is and repainted. The front end then gives the window the size the system
// suggests for the new scale, whose size pass places them again.
void onDisplayScaleChanged();

// ---- Menu commands ---------------------------------------------------------------------------

// A menu item was chosen; id is its command id. Also any id the platform delivers as a command.
void dispatchCommand(int32_t commandId);

// The Devices popup is about to open. The core counts the devices again and appends their items
// anew (plat::menuRemoveDevices, plat::menuAppendDevice), so that a destination that appeared
// since is offered and one that vanished is not; the current device keeps its check mark. A
// platform whose devices never change need not call it.
void onDevicesMenuOpening();

enum class MenuKind : uint8_t {
  Popup,      // opens the entries of depth + 1 that follow it
  Item,       // a command
  Separator,
};

// The whole menu bar as data, in menu order; a popup's children follow it directly with depth
// one greater. Front ends build their menu bar from it and restate nothing.
struct MenuEntry {
  int32_t depth;       // 0: on the menu bar
  MenuKind kind;
  int32_t id;          // command id of an Item, 0 otherwise
  const char* text;    // "&" marks the access letter; nullptr for a separator
  bool checked;        // initial mark
  bool devicesPopup;   // the popup that plat::menuAppendDevice appends to
};

std::span<const MenuEntry> menuTable();

// Commands a platform may have no use for, which its front end then shows greyed: a page can
// neither close its own tab nor keep itself above other windows. Their ids live here so that a
// front end finds them in the table; the program's list of commands (base/commands.h) takes them.
namespace command {
constexpr int32_t kAlwaysOnTop = 102;
constexpr int32_t kExit = 104;
}  // namespace command

// ---- The control bars ------------------------------------------------------------------------

// What a click or a drag on a control bar asks for.
enum class ScrollRequest : uint8_t {
  LineUp,         // arrow at the top (or left)
  LineDown,       // arrow at the bottom (or right)
  PageUp,         // trough above (or left of) the thumb
  PageDown,       // trough below (or right of) the thumb
  ThumbPosition,  // once, when the dragged thumb is let go, with its position
  ThumbTrack,     // while the thumb is dragged, with its position
  Other,          // anything else a bar reports (the end of a scroll, Home, End): only the focus
                  // goes back to the keyboard
};

// The modulation bar (horizontal) reported a request; position is the thumb's, for ThumbPosition
// and ThumbTrack.
void onModulationScroll(ScrollRequest request, uint16_t position);
// The velocity or the pitch-bend bar (vertical) reported a request.
void onVerticalScroll(plat::Bar bar, ScrollRequest request, uint16_t position);
