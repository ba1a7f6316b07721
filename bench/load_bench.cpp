// Loading the largest text file the sender takes: a 1 MiB BASIC listing is
// loaded through the load button's logic into the real window and painted,
// then read back as the send button reads it. Reports the times and how much
// the process grew. A listing of one 1 MiB line is measured as well, since a
// long line is what makes the editor slow to paint.
//
//   load_bench [RUNS]
#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "editor.h"
#include "main_window.h"
#include "qt_window.h"
#include "sender.h"
#include "serial_link.h"

namespace {

using Clock = std::chrono::steady_clock;

double millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The real window, except that the file dialog answers with a fixed path.
class ChosenFileWindow final : public morvale::Window {
  public:
    explicit ChosenFileWindow(morvale::QtWindow& window) : w_(window) {}
    std::string path;

    std::string text(int id) const override { return w_.text(id); }
    void setText(int id, std::string_view t) override { w_.setText(id, t); }
    void setEnabled(int id, bool on) override { w_.setEnabled(id, on); }
    void setEditorBackground(morvale::Rgb c) override { w_.setEditorBackground(c); }
    void checkPortItem(int id) override { w_.checkPortItem(id); }
    void grow() override { w_.grow(); }
    int focusedControl() const override { return w_.focusedControl(); }
    void showMessage(std::string_view title, std::string_view t, morvale::MessageIcon) override {
        std::printf("unexpected message: %.*s %.*s\n", int(title.size()), title.data(),
                    int(t.size()), t.data());
    }
    std::optional<std::string> askText(std::string_view, std::string_view,
                                       std::string_view) override {
        return std::nullopt;
    }
    std::string chooseFile(std::string_view, std::string_view) override { return path; }
    void beep() override {}
    void showNotice(int id, std::string_view t) override { w_.showNotice(id, t); }
    morvale::Event waitEvent() override { return w_.waitEvent(); }
    morvale::Event waitEventUntil(morvale::Clock::time_point d) override {
        return w_.waitEventUntil(d);
    }

  private:
    morvale::QtWindow& w_;
};

class NoLink final : public morvale::SerialLink {
  public:
    bool open(std::string_view, const morvale::LineSettings&) override { return false; }
    morvale::WriteResult writeBytes(std::span<const std::uint8_t>) override { return {}; }
    void close() override {}
    bool isOpen() const override { return false; }
};

// Resident set and its peak so far, in MiB.
void memory(double& resident, double& peak) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            resident = std::atof(line.c_str() + 6) / 1024.0;
        } else if (line.rfind("VmHWM:", 0) == 0) {
            peak = std::atof(line.c_str() + 6) / 1024.0;
        }
    }
}

struct Run {
    double loadAndShow = 0;
    double loadAndShowCpu = 0;
    double read = 0;
    double readCpu = 0;
    double repaint = 0;
};

Run measure(morvale::QtWindow& qt, ChosenFileWindow& window, morvale::Sender& sender) {
    auto* editor = qt.mainWindow().editor();
    editor->setPlainText({});
    QApplication::processEvents();
    Run run;
    const auto start = Clock::now();
    const double startCpu = morvale::bench::cpuSeconds(CLOCK_THREAD_CPUTIME_ID) * 1e3;
    sender.dispatch(morvale::Event::control(morvale::kLoadButton));
    qt.mainWindow().repaint();
    QApplication::processEvents();
    run.loadAndShow = millis(Clock::now() - start);
    run.loadAndShowCpu = morvale::bench::cpuSeconds(CLOCK_THREAD_CPUTIME_ID) * 1e3 - startCpu;

    const auto readStart = Clock::now();
    const double readStartCpu = morvale::bench::cpuSeconds(CLOCK_THREAD_CPUTIME_ID) * 1e3;
    const std::string text = window.text(morvale::kEditor);
    run.read = millis(Clock::now() - readStart);
    run.readCpu = morvale::bench::cpuSeconds(CLOCK_THREAD_CPUTIME_ID) * 1e3 - readStartCpu;
    if (text.size() < 1024 * 1024) {
        std::printf("editor text too short: %zu bytes\n", text.size());
    }

    editor->horizontalScrollBar()->setValue(editor->horizontalScrollBar()->maximum() / 2);
    const auto paintStart = Clock::now();
    editor->viewport()->repaint();
    run.repaint = millis(Clock::now() - paintStart);
    return run;
}

void report(const char* what, std::vector<Run> runs) {
    const auto median = [&](double Run::*field) {
        std::sort(runs.begin(), runs.end(),
                  [&](const Run& a, const Run& b) { return a.*field < b.*field; });
        return runs[runs.size() / 2].*field;
    };
    std::printf(
        "%s (medians of %zu):\n"
        "  load and show %.1f ms, CPU %.1f ms (target <= 300)\n"
        "  send button's read %.1f ms, CPU %.1f ms (target <= 30)\n"
        "  repaint scrolled sideways %.1f ms\n",
        what, runs.size(), median(&Run::loadAndShow), median(&Run::loadAndShowCpu),
        median(&Run::read), median(&Run::readCpu), median(&Run::repaint));
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QApplication application(argc, argv);

    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "morvale-load-bench-XXXXXX").string();
    const fs::path directory = ::mkdtemp(pattern.data());
    const std::string listing = (directory / "listing.bas").string();
    const std::string oneLine = (directory / "oneline.bas").string();
    std::string text = morvale::bench::makeListing(1024 * 1024, "\n");
    text.resize(1024 * 1024 - 1);
    std::ofstream(listing, std::ios::binary) << text << '\n';
    std::ofstream(oneLine, std::ios::binary) << std::string(1024 * 1024 - 1, 'A') << '\n';

    morvale::QtWindow qt;
    ChosenFileWindow window(qt);
    NoLink link;
    morvale::Sender sender(window, link);
    QApplication::processEvents();

    double residentBefore = 0, peakBefore = 0, resident = 0, peak = 0;
    memory(residentBefore, peakBefore);
    window.path = listing;
    std::vector<Run> listingRuns{measure(qt, window, sender)};
    memory(resident, peak);
    std::printf(
        "1 MiB listing, first load: process grew %.1f MiB (peak %.1f MiB above the "
        "start; target <= 30)\n",
        resident - residentBefore, peak - residentBefore);
    for (int i = 1; i < runs; ++i) {
        listingRuns.push_back(measure(qt, window, sender));
    }
    report("1 MiB listing", listingRuns);

    window.path = oneLine;
    std::vector<Run> lineRuns;
    for (int i = 0; i < runs; ++i) {
        lineRuns.push_back(measure(qt, window, sender));
    }
    report("1 MiB in one line", lineRuns);

    fs::remove_all(directory);
    return 0;
}
