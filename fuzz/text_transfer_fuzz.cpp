// The text transfer's bytes and pauses, with clicks and failing writes at
// fuzzed moments, through the real transfer over window and link doubles.
//
// Input (FuzzedDataProvider): from the end, whether the port opens, up to
// four events at chosen ticks, up to four faulty writes (timed out with
// nothing sent, or the device failed), then the editor's text (up to 512
// bytes) from the front.
// Model: the transfer's steps below, producing the line the doubles record:
// the bytes written and the ticks between them.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "app_state.h"
#include "check.h"
#include "recording_link.h"
#include "scripted_window.h"
#include "text_transfer.h"
#include "transcript.h"

using namespace fuzz;
using morvale::Event;
using morvale::WriteResult;

namespace {

enum class Fault { TimedOut, DeviceFailed };

struct Script {
    bool portOpens = true;
    std::map<int, Event> eventAtTick;   // tick number from 1
    std::map<int, Fault> faultAtWrite;  // write number from 1
    std::string text;
};

Script readScript(FuzzedDataProvider& in) {
    Script script;
    script.portOpens = in.ConsumeIntegralInRange(0, 15) != 0;
    for (int n = in.ConsumeIntegralInRange(0, 4); n > 0; --n) {
        const int tick = in.ConsumeIntegralInRange(1, 4000);
        static const Event kinds[] = {Event::control(morvale::kSendButton),
                                      Event::control(morvale::kLoadButton), Event::close(),
                                      Event::menu(morvale::kReturnKeyItem)};
        script.eventAtTick[tick] = kinds[in.ConsumeIntegralInRange(0, 3)];
    }
    for (int n = in.ConsumeIntegralInRange(0, 4); n > 0; --n) {
        const int write = in.ConsumeIntegralInRange(1, 400);
        script.faultAtWrite[write] = in.ConsumeBool() ? Fault::DeviceFailed : Fault::TimedOut;
    }
    // A few lines show every rule; longer texts only slow the runs down.
    script.text = in.ConsumeBytesAsString(512);
    return script;
}

WriteResult answer(const Script& script, int write, std::size_t size) {
    const auto fault = script.faultAtWrite.find(write);
    if (fault == script.faultAtWrite.end()) {
        return {static_cast<std::int32_t>(size), false};
    }
    return {0, fault->second == Fault::DeviceFailed};
}

// What the transfer does, step by step, told as the line it leaves.
class TransferModel {
  public:
    explicit TransferModel(const Script& script) : script_(script) {}

    std::string line() {
        if (script_.text.empty() || !script_.portOpens) {
            return "";
        }
        std::string text;
        for (const char c : script_.text) {
            if (c != '\n') {
                text += c;
            }
        }
        write('\r');
        // The KC wakes up; a click now is dropped with every other event.
        for (int k = 0; k < 50; ++k) {
            tick();
        }
        int lineCount = 0;
        for (const char c : text) {
            // A device that failed ends the loop.
            if (deviceFailed_) {
                break;
            }
            write(c);
            if (deviceFailed_) {
                break;
            }
            int pause = 6;
            if (c == '\r') {
                pause = 50;
                lineCount = 0;
            }
            if (++lineCount == 40) {
                lineCount = 0;
                pause = 50;
            }
            bool aborted = false;
            for (int k = 0; k < pause && !aborted; ++k) {
                aborted = tick().isClick(morvale::kSendButton);
            }
            if (aborted) {
                write('\r');
                break;
            }
        }
        const std::size_t last = text.find_last_not_of(' ');
        if (last == std::string::npos || text[last] != '\r') {
            write('\r');
        }
        return transcript_.line();
    }

  private:
    // One character on the line. Text is written up to a zero byte, so a
    // zero byte is a write of nothing. A write that timed out with nothing
    // sent loses its character; a retry after one tick would go here.
    void write(char c) {
        const auto byte = static_cast<std::uint8_t>(c);
        const std::span bytes(&byte, c == '\0' ? 0 : 1);
        transcript_.write(bytes);
        deviceFailed_ = deviceFailed_ || answer(script_, ++writes_, bytes.size()).failed;
    }

    Event tick() {
        transcript_.tick();
        const auto event = script_.eventAtTick.find(++ticks_);
        return event == script_.eventAtTick.end() ? Event::none() : event->second;
    }

    const Script& script_;
    morvale::testing::Transcript transcript_;
    int ticks_ = 0;
    int writes_ = 0;
    bool deviceFailed_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const Script script = readScript(in);

    morvale::testing::Transcript transcript;
    morvale::testing::ScriptedWindow window(transcript);
    morvale::testing::RecordingLink link(transcript);
    window.eventAtTick = script.eventAtTick;
    link.openSucceeds = script.portOpens;
    int writes = 0;
    link.onWrite = [&](std::span<const std::uint8_t> bytes) {
        return answer(script, ++writes, bytes.size());
    };
    morvale::AppState state;
    morvale::sendText(state, window, link, script.text);

    expectEqual(transcript.line(), TransferModel(script).line(), "bytes and ticks on the line");
    expectEqual(window.beeps, script.text.empty() ? 1 : 0, "a beep for an empty text only");
    expectTrue(!link.isOpen() && !state.sending, "the port closed and the transfer over");
    if (!script.text.empty() && script.portOpens) {
        expectEqual(window.text(morvale::kSendButton), std::string("Senden"), "caption");
        expectTrue(window.background == morvale::Rgb{0xFF, 0xFF, 0xFF}, "white editor");
        for (const int id : {morvale::kLoadButton, morvale::kCommandLine, morvale::kFirstKeyButton,
                             morvale::kLastKeyButton}) {
            expectTrue(window.isEnabled(id), "controls enabled again");
        }
    }
    return 0;
}
