// The ways a Linux desktop ends a program other than its window's close box.
#pragma once

// SIGTERM (a session ending, kill), SIGINT (Ctrl+C in the terminal) and SIGHUP (the terminal
// closed) end the program as a close of the window does: the notes stop and the settings are
// saved. Call once the application object exists.
void closeWindowOnEndingSignals();
// When the process ends without the window's shutdown (the display server went away and the
// toolkit exits), the open port is still silenced. Call once the devices are set up.
void silencePortAtAbruptExit();
