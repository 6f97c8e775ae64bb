// A whole paint of the main window on the real Qt front end, at each zoom of the menu, on Qt's
// offscreen platform: the core's paint entry point drawing every key through the front end's
// drawing services into the canvas's image. No display is needed.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/app_state.h"
#include "base/commands.h"
#include "frontends/qt/qt_canvas.h"
#include "frontends/qt/qt_front_end.h"
#include "platform/events.h"

namespace {

// Sets the zoom as the menu item does and lets the window take its new size; the label says
// what was painted.
bool zoomTo(benchmark::State& state) {
  dispatchCommand(static_cast<int32_t>(state.range(0)));
  QApplication::processEvents();
  const QImage& image = frontEnd().canvas->image();
  state.SetLabel("zoom " + std::to_string(app.settings.zoom).substr(0, 3) + ", " +
                 std::to_string(image.width()) + " x " + std::to_string(image.height()) + " px");
  return image.width() > 1 && image.height() > 1;
}

// paintKeyboard alone: the window's colour over the image, then every key drawn released.
void BM_PaintKeyboard(benchmark::State& state) {
  if (!zoomTo(state)) {
    state.SkipWithError("the canvas has no size");
    return;
  }
  for (auto _ : state) {
    paintKeyboard();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PaintKeyboard)->ArgName("zoom")->Arg(cmd::kZoomSmall)->Arg(cmd::kZoomNormal)->Arg(cmd::kZoomBig);

// The paint event Qt delivers for the whole window: the same paint, then the image copied to
// the window's backing store.
void BM_CanvasRepaint(benchmark::State& state) {
  if (!zoomTo(state)) {
    state.SkipWithError("the canvas has no size");
    return;
  }
  for (auto _ : state) frontEnd().canvas->repaint();
}
BENCHMARK(BM_CanvasRepaint)->ArgName("zoom")->Arg(cmd::kZoomSmall)->Arg(cmd::kZoomNormal)->Arg(cmd::kZoomBig);

// A box would wait for a click that never comes: close it and say so.
void closeBoxes(bool& boxSeen) {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [&boxSeen] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      std::fprintf(stderr, "paint_bench: a message box came up: %s\n", box->text().toLocal8Bit().constData());
      boxSeen = true;
      box->reject();
    }
  });
  timer->start(50);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // A settings folder of its own, so the figures start from the first-start window, and a
  // synthesizer that plays into a file, so the start finds a device without a sound card.
  char pattern[] = "/tmp/plinkett-paint-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::string dir = pattern;
  setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
  setenv("PLINKETT_MIDI_APIS", "none", 1);
  unsetenv("PLINKETT_NO_BUILTIN_SYNTH");
  setenv("PLINKETT_SYNTH_FILE", (dir + "/synth.wav").c_str(), 1);

  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  static bool boxSeen = false;
  closeBoxes(boxSeen);
  int status = 0;
  if (!startFrontEnd() || boxSeen) {
    std::fprintf(stderr, "paint_bench: the front end did not start\n");
    status = 1;
  } else {
    // The synthesizer's thread would compete with the paint for the processor: close the port.
    dispatchCommand(cmd::kActive);
    QApplication::processEvents();
    benchmark::RunSpecifiedBenchmarks();
  }
  stopFrontEnd();
  benchmark::Shutdown();
  std::filesystem::remove_all(dir);
  return status;
}
