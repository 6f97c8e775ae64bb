// What the program does with any value a settings file can hold.
//
// The file has no checksum, so a damaged or hand-edited file can put any 32-bit pattern in any
// field. The rule: a value is kept as read (the file, the menus and the bars show what was
// stored), and is brought into range only at the one place where it would otherwise fail: a
// malformed MIDI word, an index outside a table, a float-to-int conversion that is undefined,
// or a signed overflow. Code that uses a stored field follows the line written for it here;
// code that adds a new use of a stored field adds to its line.
//
//   magic
//       Anything but 0x12993315 (little-endian) and the file is ignored whole; a file shorter
//       than 4 bytes counts as not the magic. Bytes after offset 64 are never read. A field that
//       the end of a short file cuts in the middle keeps its value, as does every field after it
//       (settings/byte_cursor.cpp readU32, settings/settings_file.cpp decodeSettings).
//   alwaysOnTop, showControlBars, showFlats
//       Kept as read; any nonzero value means on (a stored 5 is on, and the first toggle turns it
//       off). relabelBlackKeys takes any nonzero showFlats as flats (keyboard/key_layouts.cpp).
//   zoom
//       Kept as read: 2.5 checks no zoom item and scales the grid by 2.5; NaN, infinities and
//       huge factors too. Every geometry result goes through truncToInt32
//       (base/int_conversions.cpp), which gives 0 for NaN and stops at the int32 ends, so no
//       conversion is undefined.
//   windowRect
//       Kept as read. Placement (app/window_placement.cpp) forms right - left and bottom - top in
//       64 bits and moves a rectangle that is out of reach or has no usable size onto the primary
//       work area. The rectangle written at shutdown is plat::windowNormalRect(), never the
//       minimised one (settings/settings_file.cpp saveSettings).
//   transpose
//       Kept as read. Octave sums are formed in 64 bits and pinned to int32
//       (keyboard/note_input.cpp playedOctave); the note is octave * 12 + semitone formed in 64
//       bits and clamped to 0..127 after the whole sum (midi/midi_output.cpp noteNumber), so the
//       sounding-notes index is always 0..127. Start-up checks a Transpose item only when one
//       exists (keyboard/transpose.cpp startupTransposeItem); the Up/Down arrows bring a stray
//       value to the nearest offered one in the direction pressed (keyboard/note_input.cpp).
//   savedDeviceId
//       Kept as read and written back as currentDeviceId. An id with no Devices item checks
//       nothing (the item number is formed in 64 bits, midi/devices.cpp checkDeviceItem) and its
//       opening fails with the usual "Cannot open MIDI device" box; "&Active" then tries the same
//       id again. When the companion file names the device (settings/device_name_file.h), the
//       device of that name is opened wherever it now stands (midi/device_names.cpp); a device
//       chosen and then gone is saved as kNoDevice (INT32_MAX), an id with no item.
//   openAtStart
//       Any nonzero value opens the device at start. What is written is deviceOpen (0 or 1).
//   channel
//       Kept as read. A channel item is checked or unchecked only for 0..15 (midi/devices.cpp
//       checkChannelItem, app/main_window.cpp applyMenuState). Every MIDI word is made by
//       packShortMessage (base/short_message.cpp), which clamps the channel to 0..15, so a stray
//       channel plays on 0 or 15 rather than changing the message's kind.
//   program
//       Kept as read; packShortMessage clamps data bytes to 0..127.
//   velocity
//       Kept as read, and sent in note-ons limited to 1..127 (midi/midi_output.cpp noteOn): a
//       note-on of velocity 0 would be a note-off to the device while the note stays marked.
//       The velocity bar's position is 128 - velocity formed in 64 bits
//       (display/control_bars.cpp velocityPosition). The first change by the bar or the keypad
//       keys brings the value into 1..127 (display/control_bars.cpp updateVelocityBar).
//   layout
//       Kept as read. currentLayout and layoutTable (keyboard/key_layouts.cpp) give the Accordion
//       for any id but Piano (0) and Chromatic (2), as the painting does; a layout item is checked
//       only for 0..2; transposition treats any id but Chromatic as Piano.
//
// The settings path is not stored but is bounded the same way: a base path that the platform may
// have cut (one that fills the room for the longest path) gives an empty path, and an empty path
// is neither read nor written (settings/settings_file.cpp settingsPath).
#pragma once
