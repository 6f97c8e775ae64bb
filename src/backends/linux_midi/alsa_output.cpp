#include "backends/linux_midi/alsa_output.h"

#include <rtmidi/RtMidi.h>

#include <memory>
#include <string_view>

#include "backends/linux_midi/midi_names.h"
#include "backends/linux_midi/midi_probe.h"
#include "backends/linux_midi/midi_trouble.h"

struct AlsaOutput {
  std::string device;      // as the Devices menu names it, for what standard error says
  std::string lastError;   // RtMidi's latest complaint about this port
  bool lostSaid = false;   // a failed send has been reported
  // Last, so that it goes first: RtMidi may still complain (into lastError) while it closes.
  std::unique_ptr<RtMidiOut> out;
};

namespace {

// With a callback set RtMidi throws no more after its constructor: what goes wrong is handed
// here, and the caller, which knows what it was doing, says it.
void keepRtMidiError(RtMidiError::Type, const std::string& text, void* output) {
  if (output != nullptr) static_cast<AlsaOutput*>(output)->lastError = text;
}

// An RtMidi ALSA output under our client name, or nullptr (why says why).
std::unique_ptr<RtMidiOut> makeOutput(AlsaOutput* owner, std::string& why) {
  try {
    auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, kMidiClientName);
    // RtMidi falls back to another compiled API when the one asked for is missing.
    if (out->getCurrentApi() != RtMidi::LINUX_ALSA) {
      why = "RtMidi has no ALSA support";
      return nullptr;
    }
    out->setErrorCallback(keepRtMidiError, owner);
    return out;
  } catch (const RtMidiError& error) {
    why = error.getMessage();
    return nullptr;
  }
}

// Our own client's ports never count as destinations: playing into ourselves makes no sense.
bool isOwnPort(const std::string& portName) {
  const std::string_view name(portName);
  const std::string_view own(kMidiClientName);
  return name.starts_with(own) && name.size() > own.size() &&
         (name[own.size()] == ':' || name[own.size()] == '-');
}

bool openPort(AlsaOutput& output, const std::string& destination, std::string& why) {
  RtMidiOut& out = *output.out;
  if (destination.empty()) {
    out.openVirtualPort(kOwnPortName);
  } else {
    // Numbers shift as ports come and go; the name is what was listed.
    const unsigned count = out.getPortCount();
    unsigned index = 0;
    while (index < count && out.getPortName(index) != destination) ++index;
    if (index == count) {
      why = "the ALSA sequencer no longer has the port " + destination;
      return false;
    }
    out.openPort(index, kOwnPortName);
  }
  if (out.isPortOpen()) return true;
  why = output.lastError.empty() ? std::string("the ALSA sequencer refused the port") : output.lastError;
  return false;
}

}  // namespace

bool alsaDestinations(std::vector<std::string>& names) {
  // The probe first keeps RtMidi from printing its complaint where there is no sequencer.
  std::string why;
  const std::unique_ptr<RtMidiOut> out = alsaSequencerAvailable() ? makeOutput(nullptr, why) : nullptr;
  if (out == nullptr) return false;
  // A port that goes while it is listed is left out (RtMidi's complaint about it is dropped).
  const unsigned count = out->getPortCount();
  for (unsigned i = 0; i < count; ++i) {
    const std::string portName = out->getPortName(i);
    if (!portName.empty() && !isOwnPort(portName)) names.push_back(portName);
  }
  return true;
}

AlsaOutput* alsaOutputOpen(const std::string& device, const std::string& destination, std::string& why) {
  auto output = std::make_unique<AlsaOutput>();
  output->device = device;
  output->out = makeOutput(output.get(), why);
  if (output->out == nullptr || !openPort(*output, destination, why)) return nullptr;
  return output.release();
}

void alsaOutputSend(AlsaOutput& output, const uint8_t* bytes, std::size_t length) {
  output.lastError.clear();
  output.out->sendMessage(bytes, length);
  if (output.lastError.empty() || output.lostSaid) return;
  output.lostSaid = true;
  reportMidiTrouble(output.device, "lost", output.lastError);
}

void alsaOutputClose(AlsaOutput* output) {
  if (output == nullptr) return;
  output->out->closePort();
  delete output;
}
