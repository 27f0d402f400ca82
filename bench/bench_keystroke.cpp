// What one keystroke in the calculator costs, against the same keystroke in
// a bare line edit.
//
// The calculator is the real program: its entry, its application object and
// its dialog, run on the offscreen platform. A key goes into the first count
// field as a key event; the field's change notification goes through the
// binding table to the sheet, the sheet writes the time and result fields,
// and then the window repaints what changed. The baseline is a line edit of
// the same font and size in a window of its own, with nothing connected to
// it, given the same keys and repainted the same way.
//
// The keys alternate between a digit and Backspace, so the field stays short
// and every key changes the count, and with it the time and the result.
//
// Both run in the same process, batch for batch, taking turns at going
// first: a busy machine slows both alike, so their ratio holds where the
// nanoseconds do not. Each batch is timed twice: by the wall clock, and by
// the CPU time of this thread, which leaves out the time the thread waited
// for a core on a machine shared with other work.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QByteArray>
#include <QEvent>
#include <QLineEdit>
#include <QTest>
#include <QtGlobal>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "framework/qt/qt_dialog.h"
#include "framework/qt/qt_platform.h"
#include "tests/drivers/dialog_driver.h"
#include "ui/resource_ids.h"

namespace kadenzo {
namespace {

using Clock = std::chrono::steady_clock;

// Keys per batch: an even number, so that every batch leaves the field as it
// found it.
constexpr int kBatch = 32;
constexpr char kDigits[] = "3719";
// At 30 frames per second 1800000 is 16:40:00:00 and 18000003 is
// 166:40:00:03: every key rewrites the typed count, the hours and frames of
// its time and the result's count, hours and frames, six fields in all. The
// writes that leave a field's text as it was repaint nothing.
const QString kStartText = QStringLiteral("1800000");

// One field under test and the window it is painted in.
struct Target {
  QLineEdit* edit = nullptr;
  QWidget* window = nullptr;
  int nextDigit = 0;
};

Target g_calculator;
Target g_bare;

// Paints what the key left dirty, now: the posted events the key raised (the
// window's update request among them) are delivered, and the window's backing
// store is brought up to date and flushed, as the event loop would do next.
void Repaint(QWidget* window) {
  QCoreApplication::sendPostedEvents();
  QEvent request(QEvent::UpdateRequest);
  QCoreApplication::sendEvent(window, &request);
}

// Gives the target's window the keyboard and its field the focus, so the
// field draws its cursor as it would for a person typing; then paints
// whatever that changed, outside any timing.
void Focus(Target& target) {
  if (!target.edit->hasFocus()) {
    target.window->activateWindow();
    for (int turn = 0; turn < 1000 && !target.window->isActiveWindow(); ++turn) QCoreApplication::processEvents();
    target.edit->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
  }
  Repaint(target.window);
}

// One batch of keys: a digit at the end of the field, then Backspace, and
// so on, each followed by the repaint.
void TypeBatch(Target& target) {
  for (int key = 0; key < kBatch; key += 2) {
    QTest::keyClick(target.edit, kDigits[target.nextDigit]);
    Repaint(target.window);
    target.nextDigit = (target.nextDigit + 1) % 4;
    QTest::keyClick(target.edit, Qt::Key_Backspace);
    Repaint(target.window);
  }
}

// Counts paint events anywhere in the program.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

// How many widgets one key repaints, on average over one batch; counted
// outside the timing, since watching every event costs time of its own.
double PaintsPerKey(Target& target) {
  Focus(target);
  PaintCounter counter;
  qApp->installEventFilter(&counter);
  TypeBatch(target);
  qApp->removeEventFilter(&counter);
  return static_cast<double>(counter.paints) / kBatch;
}

double Nanoseconds(std::chrono::nanoseconds duration) {
  return static_cast<double>(duration.count());
}

std::chrono::nanoseconds ThreadCpuTime() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// Both targets, batch for batch, in turns; the iteration time is the
// calculator's.
void BM_KeystrokeAgainstBareLineEdit(benchmark::State& state) {
  const double calculatorPaints = PaintsPerKey(g_calculator);
  const double barePaints = PaintsPerKey(g_bare);
  std::chrono::nanoseconds calculatorTime{};
  std::chrono::nanoseconds bareTime{};
  std::chrono::nanoseconds calculatorCpu{};
  std::chrono::nanoseconds bareCpu{};
  bool bareFirst = false;
  for (auto _ : state) {
    bareFirst = !bareFirst;
    std::chrono::nanoseconds calculatorBatch{};
    for (int turn = 0; turn < 2; ++turn) {
      Target& target = (turn == 0) == bareFirst ? g_bare : g_calculator;
      Focus(target);
      const std::chrono::nanoseconds cpuStart = ThreadCpuTime();
      const Clock::time_point start = Clock::now();
      TypeBatch(target);
      const auto batch = std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start);
      const std::chrono::nanoseconds cpu = ThreadCpuTime() - cpuStart;
      if (&target == &g_bare) {
        bareTime += batch;
        bareCpu += cpu;
      } else {
        calculatorTime += batch;
        calculatorCpu += cpu;
        calculatorBatch = batch;
      }
    }
    state.SetIterationTime(std::chrono::duration<double>(calculatorBatch).count());
  }
  const double keys = static_cast<double>(state.iterations()) * kBatch;
  const double calculatorNs = Nanoseconds(calculatorTime) / keys;
  const double bareNs = Nanoseconds(bareTime) / keys;
  state.counters["ns_per_key"] = calculatorNs;
  state.counters["baseline_ns"] = bareNs;
  state.counters["ratio"] = calculatorNs / bareNs;
  state.counters["cpu_ns_per_key"] = Nanoseconds(calculatorCpu) / keys;
  state.counters["cpu_baseline_ns"] = Nanoseconds(bareCpu) / keys;
  state.counters["cpu_ratio"] = Nanoseconds(calculatorCpu) / Nanoseconds(bareCpu);
  state.counters["paints_per_key"] = calculatorPaints;
  state.counters["baseline_paints"] = barePaints;
  state.SetItemsProcessed(static_cast<std::int64_t>(keys));
}

// Each target alone, for a profile of one of them; the time is per batch.
void KeystrokesAlone(benchmark::State& state, Target& target) {
  Focus(target);
  for (auto _ : state) TypeBatch(target);
  state.counters["ns_per_key"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBatch,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.SetItemsProcessed(state.iterations() * kBatch);
}

void BM_KeystrokeCalculator(benchmark::State& state) {
  KeystrokesAlone(state, g_calculator);
}
void BM_KeystrokeBareLineEdit(benchmark::State& state) {
  KeystrokesAlone(state, g_bare);
}

BENCHMARK(BM_KeystrokeAgainstBareLineEdit)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeystrokeCalculator)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeystrokeBareLineEdit)->Unit(benchmark::kMicrosecond);

QLineEdit* CalculatorField(int id) {
  auto* dialog = dynamic_cast<qt::QtDialogWindow*>(QApplication::activeModalWidget());
  return dialog != nullptr ? qobject_cast<QLineEdit*>(dialog->Control(id)) : nullptr;
}

// Runs the benchmarks on the program's thread, between two turns of the
// calculator's modal loop. Returns false if the calculator was not there to
// be measured.
bool RunOnCalculator() {
  QLineEdit* first = CalculatorField(IDC_FIRST_COUNT);
  QLineEdit* result = CalculatorField(IDC_RESULT_COUNT);
  if (first == nullptr || result == nullptr) {
    std::fprintf(stderr, "kadenzo_bench_gui: the calculator's fields were not found\n");
    return false;
  }
  first->setText(kStartText);
  first->end(false);
  g_calculator = {first, first->window()};

  // A window of its own, owned by the calculator so that the calculator's
  // modality does not block it, laid out like the field it stands beside.
  auto bareWindow = std::make_unique<QLineEdit>();
  bareWindow->setParent(first->window(), Qt::Window);
  bareWindow->setFont(first->font());
  bareWindow->resize(first->size());
  bareWindow->setText(kStartText);
  bareWindow->show();
  bareWindow->end(false);
  g_bare = {bareWindow.get(), bareWindow.get()};

  // The sheet must answer: a key changes the result.
  const QString before = result->text();
  Focus(g_calculator);
  QTest::keyClick(first, '7');
  const bool answered = result->text() != before;
  QTest::keyClick(first, Qt::Key_Backspace);
  Focus(g_bare);
  const bool focused = g_bare.edit->hasFocus();
  Focus(g_calculator);
  if (!answered || !focused || !g_calculator.edit->hasFocus()) {
    std::fprintf(stderr, "kadenzo_bench_gui: the %s\n",
                 !answered ? "calculator did not answer a key" : "fields could not be given the focus in turn");
    return false;
  }

  benchmark::RunSpecifiedBenchmarks();
  return true;
}

}  // namespace
}  // namespace kadenzo

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // Real widgets without a display, unless a platform is asked for.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
  const kadenzo::qt::ApplicationScope application("kadenzo");

  bool measured = false;
  kadenzo::testing_support::RunProgram([&](kadenzo::testing_support::DialogDriver&) {
    QMetaObject::invokeMethod(
        qApp, [&] { measured = kadenzo::RunOnCalculator(); }, Qt::BlockingQueuedConnection);
  });
  benchmark::Shutdown();
  return measured ? EXIT_SUCCESS : EXIT_FAILURE;
}
