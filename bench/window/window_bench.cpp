// Paint time of a full log pane (500 coloured lines of 200 characters, 3 rows each) against an
// empty pane, and the event loop's longest gap and the memory while a worker posts 20,000 log
// lines in a burst through the window's message queue, against the idle loop.
//   window_bench          (QT_QPA_PLATFORM=offscreen unless set)
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/message_queue.h"
#include "window/qt/log_pane_widget.h"

namespace {

constexpr int kPaints = 300;
constexpr int kBurstLines = 20000;

// 200 visible characters in words, with a colour code at the start and two inside.
std::string ColouredLine(int number) {
    static const char* kCodes[] = {"$02", "$03", "$04", ""};
    std::string line = kCodes[number % 4];
    const std::string words[] = {"CNV:",   "Обработка", "файла",  "20091231235959.bia",
                                 "запись", "$12",       "прибор", "$4,8",
                                 "ТВ-7",   "ok"};
    std::string visible;
    for (int i = 0; visible.size() < 400; ++i) {  // Cyrillic letters take two bytes
        line += words[i % 10] + " ";
        visible += words[i % 10] + " ";
    }
    return line + std::to_string(number);
}

struct PaintFigures {
    double medianMs = 0;
    double maxMs = 0;
};

PaintFigures TimePaints(zep::LogPaneWidget& pane) {
    QImage image(pane.size(), QImage::Format_ARGB32_Premultiplied);
    // The pane's own paint, without its scroll bar.
    const auto paint = [&] { pane.render(&image, {}, {}, QWidget::DrawWindowBackground); };
    paint();  // warms the glyph caches
    std::vector<double> times;
    QElapsedTimer clock;
    for (int i = 0; i < kPaints; ++i) {
        clock.start();
        paint();
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    PaintFigures figures;
    figures.medianMs = times[times.size() / 2];
    figures.maxMs = times.back();
    return figures;
}

// The pane's text width at which a line takes three rows.
int WidthForThreeRows(const zep::LogPaneWidget& pane, const std::string& line) {
    const QFontMetrics metrics(pane.font());
    std::string visible;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '$') {
            while (i + 1 < line.size() &&
                   (std::isdigit(static_cast<unsigned char>(line[i + 1])) || line[i + 1] == ',')) {
                ++i;
            }
            continue;
        }
        visible += line[i];
    }
    return metrics.horizontalAdvance(QString::fromStdString(visible)) * 10 / 27;
}

long ResidentKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& row : status.readAll().split('\n')) {
        if (row.startsWith("VmRSS:")) {
            return row.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

void RunPaintBench() {
    zep::LogPaneWidget pane;
    const int width = WidthForThreeRows(pane, ColouredLine(1)) + 20;
    for (const int height : {300, 1000}) {
        zep::LogPaneWidget empty;
        empty.resize(width, height);
        const PaintFigures baseline = TimePaints(empty);
        pane.resize(width, height);
        for (int i = pane.Model().LineCount(); i < zep::LogPaneModel::kMaxLines; ++i) {
            pane.AddLine(ColouredLine(i));
        }
        const PaintFigures full = TimePaints(pane);
        std::printf(
            "paint %dx%d px, 500 lines of 200 characters (3 rows each): median %.3f ms, "
            "max %.3f ms; empty pane %.3f ms (ratio %.1f); goal < 2 ms\n",
            width, height, full.medianMs, full.maxMs, baseline.medianMs,
            full.medianMs / std::max(baseline.medianMs, 1e-6));
    }
    zep::LogPaneWidget huge;
    huge.resize(width, 1000);
    for (int i = 0; i < zep::LogPaneModel::kMaxLines; ++i) {
        huge.AddLine("$04" + std::string(100 * 1024, 'x'));
    }
    const PaintFigures figures = TimePaints(huge);
    std::printf("paint %dx1000 px, 500 lines of 100 KB: median %.3f ms, max %.3f ms\n", width,
                figures.medianMs, figures.maxMs);
}

// The longest interval between two ticks of a 1 ms timer while `work` runs, in ms.
template <typename Work>
double LongestGapMs(QApplication& app, Work work, int runMs) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    double longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, static_cast<double>(now - last) / 1e6);
        last = now;
    });
    ticker.start(1);
    work();
    QTimer::singleShot(runMs, &app, &QApplication::quit);
    app.exec();
    return longest;
}

void RunBurstBench(QApplication& app) {
    zep::LogPaneWidget pane;
    pane.resize(600, 300);
    pane.show();
    const double idleGap = LongestGapMs(
        app, [] {}, 500);

    zep::MessageQueue queue;
    std::atomic<bool> drainPosted{false};
    // The window's delivery: one queued drain per wake-up, taking everything posted so far.
    queue.SetWakeHandler([&] {
        if (!drainPosted.exchange(true)) {
            QMetaObject::invokeMethod(
                &pane,
                [&] {
                    drainPosted = false;
                    for (auto& message : queue.TakeAll()) {
                        if (auto* log = std::get_if<zep::LogMessage>(&message); log && log->upper) {
                            pane.AddLine(*log->upper);
                        }
                    }
                },
                Qt::QueuedConnection);
        }
    });
    const long residentBefore = ResidentKiB();
    std::thread worker;
    QElapsedTimer burstClock;
    const double burstGap = LongestGapMs(
        app,
        [&] {
            burstClock.start();
            worker = std::thread([&] {
                for (int i = 0; i < kBurstLines; ++i) {
                    queue.AddLogLines(std::nullopt, ColouredLine(i));
                }
            });
        },
        3000);
    worker.join();
    const long residentAfter = ResidentKiB();
    std::printf(
        "burst of %d lines from a worker: longest event-loop gap %.1f ms (idle loop "
        "%.1f ms); goal < 50 ms\n",
        kBurstLines, burstGap, idleGap);
    std::printf(
        "lines kept %d (limit %d), last line shown: %s; resident %ld KiB before, %ld "
        "KiB after\n",
        pane.Model().LineCount(), zep::LogPaneModel::kMaxLines,
        pane.Model().ViewLine() == pane.Model().LineCount() - 1 ? "yes" : "no", residentBefore,
        residentAfter);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    RunPaintBench();
    RunBurstBench(app);
    return 0;
}
