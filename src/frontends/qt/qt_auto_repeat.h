#pragma once

// Asks the X server to send a held key's repeats as presses only, without the release/press
// pairs that a toolkit must guess about under load (a wrong guess is a stray note-off and a
// second note-on). True when the server does so from now on; false on other window systems.
bool enableDetectableAutoRepeat();
