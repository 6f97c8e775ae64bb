// What the page offers the program: functions written in JavaScript (web_library.js hands each
// one to the page's own module) and linked into the WebAssembly module as imports. Strings cross
// as UTF-8 pointers into the module's memory; rectangles as their four edges.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// Window and menus.
void pageWindowMove(int32_t width, int32_t height);
int32_t pageWindowWidth();
int32_t pageWindowHeight();
int32_t pageScreenWidth();
int32_t pageScreenHeight();
int32_t pageMenuBarHeight();
void pageInvalidate();
void pageMenuCheck(int32_t commandId, int32_t checked);
void pageMenuSetItem(int32_t commandId, const char* text, int32_t grayed);
void pageMenuAppendDevice(int32_t commandId, const char* text);
void pageMenuRemoveDevices();
void pageBeep(int32_t error);
void pageMessageBox(const char* text, int32_t style);
void pageMouseCapture();
void pageMouseRelease();

// Drawing on the keyboard's canvas, in device pixels.
int32_t pageFontCreate(int32_t height, int32_t width, int32_t weight);
void pageFontDelete(int32_t font);
// Writes the width and height of text in the font (0: the interface font, unscaled).
void pageTextExtent(int32_t font, const char* text, int32_t* size);
void pageFill(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t white);
void pageText(int32_t font, const char* text, int32_t left, int32_t top, int32_t right, int32_t bottom,
              int32_t whiteText, int32_t whiteBackground);

// The control bars.
void pageBarCreate(int32_t bar, int32_t vertical);
void pageBarRange(int32_t bar, int32_t minimum, int32_t maximum);
void pageBarPosition(int32_t bar, int32_t position);
void pageBarTip(int32_t bar, const char* text);
void pageBarShow(int32_t bar, int32_t visible);
void pageBarMove(int32_t bar, int32_t x, int32_t y, int32_t width, int32_t height);
void pageFocusKeyboard();

// MIDI output: the built-in synthesizer and the Web MIDI outputs.
int32_t pageMidiCount();
// Writes the name (cut where a character ends) and returns 1, or returns 0 for no such device.
int32_t pageMidiName(int32_t deviceId, char* name, int32_t capacity);
// Returns a handle above 0, or 0 when the device cannot be opened.
int32_t pageMidiOpen(int32_t deviceId);
// The handle's device id in the latest count, or -2 for a handle that is not open.
int32_t pageMidiDeviceId(int32_t handle);
void pageMidiSend(int32_t handle, uint32_t word);
void pageMidiClose(int32_t handle);

// The guide and the web.
void pageOpenGuide(const char* section);
void pageOpenUrl(const char* url);

// The page's address (its path) and the local storage that keeps the settings.
int32_t pagePath(char* buffer, int32_t capacity);
int32_t pageStorageRead(const char* key, uint8_t* buffer, int32_t capacity);
int32_t pageStorageWrite(const char* key, const uint8_t* bytes, int32_t size);
}
