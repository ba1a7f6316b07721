// The text transfer's bytes and pauses, with clicks and failing writes at
// fuzzed moments, through the real transfer over window and link doubles.
//
// Input (FuzzedDataProvider): from the end, whether the port opens, up to
// four events at chosen ticks, up to four faults (a hold: a run of writes
// timed out with nothing sent, or one write finding the device failed), then
// the editor's text (up to 512 bytes) from the front.
// Model: the transfer's steps below, producing the line the doubles record:
// the bytes written and the ticks between them.
#include <fuzzer/FuzzedDataProvider.h>
#include <algorithm>

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
        if (in.ConsumeIntegralInRange(0, 3) == 0) {
            script.faultAtWrite[write] = Fault::DeviceFailed;
            continue;
        }
        // A hold: this many tries in a row time out.
        for (int held = in.ConsumeIntegralInRange(1, 30); held > 0; --held) {
            script.faultAtWrite.try_emplace(write + held - 1, Fault::TimedOut);
        }
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
        Outcome outcome = write('\r');
        // The KC wakes up; a click now is dropped with every other event.
        // The KC's schedule: 600 ms after a line end, growing by 35 ms per
        // 1000 characters typed, 450 ms after a line's 40th character.
        for (int k = 0; k < 600 && outcome == Outcome::Sent; ++k) {
            tick();
        }
        int lineCount = 0;
        for (std::size_t i = 0; i < text.size() && outcome == Outcome::Sent; ++i) {
            const char c = text[i];
            outcome = write(c);
            if (outcome != Outcome::Sent) {
                break;
            }
            int pause = 6;
            if (c == '\r') {
                pause = 600 + static_cast<int>((i + 1) * 35 / 1000);
                lineCount = 0;
            }
            if (++lineCount == 40) {
                lineCount = 0;
                pause = std::max(pause, 450);
            }
            for (int k = 0; k < pause && outcome == Outcome::Sent; ++k) {
                if (tick().isClick(morvale::kSendButton)) {
                    outcome = Outcome::Aborted;
                }
            }
        }
        if (outcome == Outcome::Aborted) {
            closeLine();
        }
        const std::size_t last = text.find_last_not_of(' ');
        if (last == std::string::npos || text[last] != '\r') {
            closeLine();
        }
        return transcript_.line();
    }

    bool deviceFailed() const { return deviceFailed_; }

  private:
    enum class Outcome { Sent, Failed, Aborted };

    // One character on the line. A zero byte is skipped. A write that timed
    // out with nothing sent is tried again after one tick, until it leaves,
    // the device fails (nothing more is written then), or that tick brings a
    // click on the send button.
    Outcome write(char c) {
        if (ended_) {
            return Outcome::Failed;
        }
        if (c == '\0') {
            return Outcome::Sent;
        }
        for (;;) {
            const auto byte = static_cast<std::uint8_t>(c);
            transcript_.write(std::span(&byte, 1));
            const WriteResult result = answer(script_, ++writes_, 1);
            if (result.failed) {
                deviceFailed_ = ended_ = true;
                return Outcome::Failed;
            }
            if (result.written > 0) {
                return Outcome::Sent;
            }
            if (tick().isClick(morvale::kSendButton)) {
                return Outcome::Aborted;
            }
        }
    }

    // A closing line end that does not leave ends the writing. Its 10 s
    // limit is never reached here: a script holds the line for a few ticks.
    void closeLine() {
        if (write('\r') != Outcome::Sent) {
            ended_ = true;
        }
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
    bool ended_ = false;
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

    expectEqual(window.beeps, script.text.empty() ? 1 : 0, "a beep for an empty text only");
    expectTrue(!link.isOpen() && !state.sending, "the port closed and the transfer over");
    TransferModel model(script);
    expectEqual(transcript.line(), model.line(), "bytes and ticks on the line");
    expectEqual(window.messages.size(), model.deviceFailed() ? 1 : 0,
                "one message for a device that failed");
    for (const auto& message : window.messages) {
        expectTrue(message.title == "Fehler" &&
                       message.text == "Verbindung zur Schnittstelle unterbrochen!" &&
                       message.icon == morvale::MessageIcon::None,
                   "the message for a device that failed");
    }
    // A line of more than 73 characters, line feeds left out, gets one
    // notice once the port is open.
    bool overlong = false;
    std::size_t lineLength = 0;
    for (const char c : script.text) {
        lineLength = c == '\r' ? 0 : lineLength + (c == '\n' ? 0 : 1);
        overlong = overlong || lineLength > 73;
    }
    const bool notice = script.text.empty() ? false : script.portOpens ? overlong : true;
    expectEqual(window.notices.size(), notice ? 1 : 0,
                "a notice for a port that does not open or a line BASIC cuts");
    if (!window.notices.empty()) {
        expectEqual(window.notices[0].first, morvale::kSendButton, "the notice at the send button");
    }
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
