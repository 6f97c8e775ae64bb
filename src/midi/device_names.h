// Devices found again by their names. A device's number is its place in the system's list, and
// that moves as other devices come and go (JACK and ALSA destinations above all); its name does
// not. So the device the user chose is remembered by its name as well, found by it at start-up
// and whenever the devices are counted again, and only where no device has the name does the
// number count.
#pragma once

#include <cstdint>

// An id that no device has: the current device is not among those counted now. It checks no
// item, its opening fails with the usual box, and the name still finds the device when it is
// back.
constexpr int32_t kNoDevice = INT32_MAX;

// The id that has this name in the latest count of deviceCount devices: preferredId when it has
// it (two devices may share a name), else the lowest; kNoDevice when none has it.
int32_t findDeviceByName(const char* name, int32_t preferredId, int32_t deviceCount);

// Makes app.midi.deviceName the listed name of that device (empty for the mapper, or when the
// device has no name).
void rememberDeviceName(int32_t deviceId);

// The device to open at start, once the devices are counted: the saved device found by its
// remembered name (kNoDevice when no device has it now), or, with no name remembered, by its
// number (which is then remembered by its name from now on).
int32_t savedDeviceAtStart();

// The current device's id after a new count; listedName is its name in the count before ("" when
// it had none). An open device is followed by its port; a closed one by that name, or by the
// remembered one; one known by neither keeps its number.
int32_t currentDeviceAfterRecount(const char* listedName);
