// A stand-in for winmm.dll, for tests under Wine only (never shipped): it reports a mapper and
// two devices and writes every midiOut* call with its arguments and result to a log, one line
// each. Put beside the program and load it with WINEDLLOVERRIDES=winmm=n,b.
//   PLINKETT_WINMM_LOG    the log (default: winmm_calls.log beside this DLL)
//   PLINKETT_WINMM_NAMES  "mapper;device 0;device 1;..." (default "MIDI Mapper;Synth 0;Synth 1"): an
//                         empty first name means no mapper, no names after it no device; the log
//                         writes names in UTF-8
// Both are read at every call, so a test may change them while it runs.
#define _WINMM_  // our own definitions, not imports
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT_PTR kMapperHandle = 0x7F00;
constexpr UINT_PTR kFirstDeviceHandle = 0x7000;

HINSTANCE gModule = nullptr;

std::string environment(const char* name, const char* fallback) {
  char value[1024];
  const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n == 0 || n >= sizeof value ? std::string(fallback) : std::string(value, n);
}

// Device names are read wide, so a name in any script reaches the program as the system has it.
std::vector<std::wstring> names() {
  wchar_t value[1024];
  const DWORD n = GetEnvironmentVariableW(L"PLINKETT_WINMM_NAMES", value, 1024);
  const std::wstring all = n == 0 || n >= 1024 ? std::wstring(L"MIDI Mapper;Synth 0;Synth 1") : std::wstring(value, n);
  std::vector<std::wstring> out(1);
  for (wchar_t c : all) {
    if (c == L';') {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  return out;
}

std::string utf8(const std::wstring& wide) {
  std::string out(wide.size() * 3 + 1, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), out.data(),
                                    static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return out;
}

UINT deviceCount() { return static_cast<UINT>(names().size() - 1); }
bool mapperPresent() { return !names()[0].empty(); }

void record(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(line, sizeof line - 1, format, args);
  va_end(args);
  if (n < 0) return;
  if (n > static_cast<int>(sizeof line) - 2) n = static_cast<int>(sizeof line) - 2;
  line[n++] = '\n';
  std::string path = environment("PLINKETT_WINMM_LOG", "");
  if (path.empty()) {
    char module[MAX_PATH];
    const DWORD length = GetModuleFileNameA(gModule, module, sizeof module);
    path.assign(module, length < sizeof module ? length : 0);
    path = path.substr(0, path.find_last_of('\\') + 1) + "winmm_calls.log";
  }
  // One write per line on a handle opened for appending: lines never interleave.
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
  CloseHandle(file);
}

bool openHandle(HMIDIOUT handle) {
  const auto h = reinterpret_cast<UINT_PTR>(handle);
  return (h == kMapperHandle && mapperPresent()) || (h >= kFirstDeviceHandle && h < kFirstDeviceHandle + deviceCount());
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) gModule = module;
  return TRUE;
}

UINT WINAPI midiOutGetNumDevs(void) {
  const UINT n = deviceCount();
  record("midiOutGetNumDevs -> %u", n);
  return n;
}

// The mapper is MIDI_MAPPER, (UINT)-1, which a 64-bit caller passes zero-extended; a
// sign-extended -1 names no device here, as it names none in Windows' own library.
MMRESULT WINAPI midiOutGetDevCapsW(UINT_PTR id, LPMIDIOUTCAPSW caps, UINT size) {
  MMRESULT result = MMSYSERR_BADDEVICEID;
  std::wstring name;
  const std::vector<std::wstring> all = names();
  if (caps == nullptr) {
    result = MMSYSERR_INVALPARAM;
  } else if (id == static_cast<UINT_PTR>(MIDI_MAPPER) && mapperPresent()) {
    name = all[0];
    result = MMSYSERR_NOERROR;
  } else if (id < all.size() - 1) {
    name = all[id + 1];
    result = MMSYSERR_NOERROR;
  }
  if (result == MMSYSERR_NOERROR) {
    MIDIOUTCAPSW c{};
    c.wMid = 0xFFFF;
    c.wTechnology = id == static_cast<UINT_PTR>(MIDI_MAPPER) ? MOD_MAPPER : MOD_MIDIPORT;
    c.wChannelMask = 0xFFFF;
    // As the system does it: the name cut to the field, terminated.
    name.resize(std::min<std::size_t>(name.size(), MAXPNAMELEN - 1));
    std::wmemcpy(c.szPname, name.c_str(), name.size());
    std::memcpy(caps, &c, size < sizeof c ? size : sizeof c);
  }
  record("midiOutGetDevCapsW 0x%llX %u -> %u \"%s\"", static_cast<unsigned long long>(id), size, result,
         utf8(name).c_str());
  return result;
}

MMRESULT WINAPI midiOutOpen(LPHMIDIOUT port, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
  MMRESULT result = MMSYSERR_BADDEVICEID;
  UINT_PTR handle = 0;
  if (port == nullptr) {
    result = MMSYSERR_INVALPARAM;
  } else if (id == MIDI_MAPPER && mapperPresent()) {
    handle = kMapperHandle;
    result = MMSYSERR_NOERROR;
  } else if (id < deviceCount()) {
    handle = kFirstDeviceHandle + id;
    result = MMSYSERR_NOERROR;
  }
  if (port != nullptr) *port = reinterpret_cast<HMIDIOUT>(handle);
  record("midiOutOpen 0x%X 0x%llX 0x%llX 0x%lX -> %u 0x%llX", id, static_cast<unsigned long long>(callback),
         static_cast<unsigned long long>(instance), static_cast<unsigned long>(flags), result,
         static_cast<unsigned long long>(handle));
  return result;
}

MMRESULT WINAPI midiOutGetID(HMIDIOUT port, LPUINT id) {
  const auto h = reinterpret_cast<UINT_PTR>(port);
  MMRESULT result = MMSYSERR_INVALHANDLE;
  if (id != nullptr && openHandle(port)) {
    *id = h == kMapperHandle ? MIDI_MAPPER : static_cast<UINT>(h - kFirstDeviceHandle);
    result = MMSYSERR_NOERROR;
  }
  record("midiOutGetID 0x%llX -> %u", static_cast<unsigned long long>(h), result);
  return result;
}

MMRESULT WINAPI midiOutShortMsg(HMIDIOUT port, DWORD word) {
  const MMRESULT result = openHandle(port) ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
  record("midiOutShortMsg 0x%llX 0x%08lX -> %u", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(port)),
         static_cast<unsigned long>(word), result);
  return result;
}

MMRESULT WINAPI midiOutReset(HMIDIOUT port) {
  const MMRESULT result = openHandle(port) ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
  record("midiOutReset 0x%llX -> %u", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(port)), result);
  return result;
}

MMRESULT WINAPI midiOutClose(HMIDIOUT port) {
  const MMRESULT result = openHandle(port) ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
  record("midiOutClose 0x%llX -> %u", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(port)), result);
  return result;
}

}  // extern "C"
