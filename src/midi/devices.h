// The life of the output device: the Devices menu, opening and closing, and the device, channel
// and program commands (the dispatcher repaints the window after each).
#pragma once

#include <cstdint>

void fillDevicesMenu(int32_t deviceCount);
// onDevicesMenuOpening (events.h) is here too: it appends the items anew from a fresh count.
void openDevice();
void closeDevice();
// All notes off on the 16 channels, then the close, with no menu or window touched: the part of
// closing that must happen even when the window system is gone.
void silenceAndClosePort();
void openDeviceAtStart();                // the saved device, found by its name where it has one
void toggleActive();                     // command 101
bool isDeviceCommand(int32_t commandId); // 1999 (with a mapper item) and 2000 + n
void selectDevice(int32_t commandId);
void selectChannel(int32_t commandId);   // 500..515
void selectProgram(int32_t commandId);   // 301..428
