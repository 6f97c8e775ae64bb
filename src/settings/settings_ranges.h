// What the program does with any value a settings file can hold.
//
// The file has no checksum, so a damaged or hand-edited file can put any 32-bit pattern in any
// field. Values are stored as read (the file format and what the menus show stay as they were);
// each one is made harmless at the one place where it could otherwise fail:
//
//   alwaysOnTop, showControlBars, showFlats
//       Kept as read; any nonzero value means on. The first toggle turns a stored 5 off.
//   zoom
//       Kept as read (2.5 checks "Big" and scales the grid by 2.5). Geometry goes through
//       truncToInt32 (display/truncate.h), which gives 0 for NaN and stops at the int32 ends
//       for infinities and huge factors, so no conversion is undefined.
//   windowRect
//       Kept as read. Placement (app/window_placement.cpp) computes widths in 64 bits and moves a
//       rectangle that would be out of reach (or has no size) onto the primary screen.
//   transpose
//       Kept as read. Octave sums are formed in 64 bits and notes clamped to 0..127
//       (midi/midi_output.cpp noteNumber, keyboard/note_input.cpp). Start-up checks a Transpose
//       item only when one exists; the Up/Down arrows bring a stray value back into range
//       (keyboard/transpose_keys.cpp).
//   savedDeviceId
//       Kept as read; an id with no Devices item checks nothing and its opening fails with the
//       usual box (midi/devices.cpp).
//   openAtStart
//       Any nonzero value opens the device.
//   channel, program, velocity
//       Kept as read (the velocity bar shows 128 - velocity as read). Every MIDI word is made by
//       packShortMessage (midi/short_message.cpp), which clamps channel to 0..15 and data bytes to
//       0..127, so no malformed word leaves the program. Channel items are checked only for
//       0..15 (midi/devices.cpp, app/main_window.cpp).
//   layout
//       Kept as read. currentLayout (keyboard/key_layouts.cpp) gives the Accordion for any id but
//       Piano and Chromatic, as the painting does; layout items are checked only for 0..2.
#pragma once
