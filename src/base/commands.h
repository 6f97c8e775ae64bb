// Every menu command id, in one place.
#pragma once

#include <cstdint>

#include "platform/events.h"

namespace cmd {
constexpr int32_t kActive = 101;
constexpr int32_t kAlwaysOnTop = command::kAlwaysOnTop;
constexpr int32_t kShowControlBars = 103;
constexpr int32_t kExit = command::kExit;
constexpr int32_t kZoomSmall = 105;
constexpr int32_t kZoomNormal = 106;
constexpr int32_t kZoomBig = 107;
constexpr int32_t kDefaultSize = 108;
constexpr int32_t kReset = 110;
constexpr int32_t kTransposeDown2 = 111;
constexpr int32_t kTransposeDown1 = 112;
constexpr int32_t kNoTranspose = 113;
constexpr int32_t kTransposeUp1 = 114;
constexpr int32_t kTransposeUp2 = 115;
constexpr int32_t kFirstProgram = 301;  // 301 + program, 0..127
constexpr int32_t kLastProgram = 428;
constexpr int32_t kFirstChannel = 500;  // 500 + channel, 0..15
constexpr int32_t kLastChannel = 515;
constexpr int32_t kLayoutPiano = 600;   // 600 + LayoutId
constexpr int32_t kLayoutAccordion = 601;
constexpr int32_t kLayoutChromatic = 602;
constexpr int32_t kShowFlats = 603;
constexpr int32_t kMapperDevice = 1999;
constexpr int32_t kFirstDevice = 2000;  // 2000 + device id
constexpr int32_t kAbout = 24347;
constexpr int32_t kHelpUsing = 24348;
constexpr int32_t kHelpIndex = 24349;
constexpr int32_t kWebSite = 24351;
}  // namespace cmd
