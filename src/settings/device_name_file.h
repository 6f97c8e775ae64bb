// The companion of the settings file, "PLINKETT.DEV" beside it: the saved device's name, so
// that the device is found again when other devices came or went and numbers moved. The 64-byte
// settings file stays as every version of the program writes it.
//
// Two lines of text: the device id that the settings file saves, and the device's whole name (as
// the Devices menu shows it; empty for the mapper and for a device known by number only). Files
// of older versions, whose names were cut to 31 bytes, read the same way. "3\nmidi-monitor:input\n". The id ties the two files together: when another program,
// or an older version, wrote the settings file alone, the ids differ and the name is not used.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

// No companion is longer than this (an id of up to 11 characters, a name, two line ends); a
// longer file is not one.
constexpr std::size_t kDeviceNameFileRoom = 16 + plat::kDeviceNameSize;

// The file's bytes for this id and name; returns how many.
std::size_t encodeDeviceName(int32_t deviceId, const char* name, uint8_t (&bytes)[kDeviceNameFileRoom]);
// True, with the id and the name, when the bytes are one companion whole and nothing else: a
// damaged or foreign file gives false, and the device counts by its number alone.
bool decodeDeviceName(const uint8_t* bytes, std::size_t size, int32_t& deviceId, char (&name)[plat::kDeviceNameSize]);

// Part of loading the settings: the name into app.midi.deviceName when the companion at path (the
// one beside the settings file just read) is whole and belongs to the savedDeviceId read from
// it; otherwise the name stays empty.
void loadDeviceName(const char* path);
// Part of saving the settings, once the settings file is in place: the id it saved and the name.
void saveDeviceName();
