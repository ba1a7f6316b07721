// What the window program's rules need of its window, without any toolkit
// in it: its controls as they are known to the user (ids, captions, colours,
// the menu), its dialogs, and the wait for the next event.
//
// The Qt window implements this for the program; tests drive the same rules
// through a scripted double where an event must arrive at an exact tick. The
// window is also the pacer of the operations it starts: a click on the send
// button ("Abbruch") is their stop.
//
// Texts crossing this interface are single-byte Latin-1 (the marker "BINÄR"
// is the bytes 42 49 4E C4 52); the editor's lines are separated by CR LF.
// File paths are the file system's own bytes.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "pacer.h"

namespace morvale {

// Control ids; they are also what the event loop dispatches on.
enum ControlId : int {
    kLoadButton = 1,
    kSendButton = 2,
    kFirstKeyButton = 3,  // F1 .. F6, BRK, STOP, INS, DEL, CLR, HOME
    kLastKeyButton = 14,
    kEditor = 15,
    kCommandLine = 16,
};

// Menu ids: 1 to 4 are the port items "COM1" to "COM4"; the Return key on
// the command line arrives as a menu event of its own id. The menu "KC"
// holds the operations on the KC itself, from 201 on.
inline constexpr int kFirstPortItem = 1;
inline constexpr int kLastPortItem = 4;
inline constexpr int kReturnKeyItem = 111;
inline constexpr int kLoadAsBasicItem = 201;   // "Als BASIC-Programm laden"
inline constexpr int kSaveBasicItem = 202;     // "BASIC-Programm vom KC holen..."
inline constexpr int kSaveMemoryItem = 203;    // "Speicher vom KC holen..."
inline constexpr int kCheckUploadsItem = 204;  // "Hochladen prüfen", checkable

// An application event. Painting, focus changes, typing inside a control and
// the like are the window's own business and never become one.
struct Event {
    enum class Kind { None, Control, Menu, Close };
    Kind kind = Kind::None;
    int id = 0;  // control id for Control, menu id for Menu

    static Event none() { return {}; }
    static Event control(int controlId) { return {Kind::Control, controlId}; }
    static Event menu(int menuId) { return {Kind::Menu, menuId}; }
    static Event close() { return {Kind::Close, 0}; }

    bool isClick(int controlId) const { return kind == Kind::Control && id == controlId; }
    friend bool operator==(const Event&, const Event&) = default;
};

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class MessageIcon { None, Exclamation };

class Window : public Pacer {
  public:
    virtual ~Window() = default;

    // The text of a control or the caption of a button.
    virtual std::string text(int controlId) const = 0;
    virtual void setText(int controlId, std::string_view latin1) = 0;
    virtual void setEnabled(int controlId, bool enabled) = 0;
    virtual void setEditorBackground(Rgb colour) = 0;
    // Checks port item menuId (1 to 4) and unchecks the other three.
    virtual void checkPortItem(int menuId) = 0;
    // Sets the check mark of a checkable item of the menu "KC"; the mark
    // shows only what was set here. A window without such items ignores it.
    virtual void checkKcItem(int /*menuId*/, bool /*checked*/) {}
    // Grows the client area to its full height, once; never shrinks it.
    virtual void grow() = 0;
    // The id of the control that has the input focus, -1 when none has.
    virtual int focusedControl() const = 0;

    // Modal dialogs: each returns when the user has closed it.
    virtual void showMessage(std::string_view title, std::string_view text, MessageIcon icon) = 0;
    // The address prompt. The entry's text on OK (possibly empty); nothing
    // when the user cancels.
    virtual std::optional<std::string> askText(std::string_view title, std::string_view prompt,
                                               std::string_view preset) = 0;
    // The open-file dialog; filter is "description|patterns|..." with
    // patterns separated by ';'. The chosen path, or empty when cancelled.
    virtual std::string chooseFile(std::string_view title, std::string_view filter) = 0;
    // The save-file dialog, with the same filter: the path to write, or empty
    // when cancelled. It asks before it names a file that exists. A window
    // without one answers as cancelled.
    virtual std::string chooseSaveFile(std::string_view /*title*/, std::string_view /*filter*/) {
        return {};
    }
    virtual void beep() = 0;
    // Shows a short notice at a control for about five seconds, without
    // waiting (a tool tip). The byte 0x96 in it is a dash ("–"), as in the
    // Windows code page; the notices use no other byte of 0x80 to 0x9F.
    virtual void showNotice(int controlId, std::string_view latin1) = 0;

    // Waits without limit for the next application event.
    virtual Event waitEvent() = 0;
    // Returns the first application event that is queued or arrives before
    // deadline, at once; Event::none() at the deadline. Window activity goes
    // on meanwhile and never ends the wait early.
    virtual Event waitEventUntil(Clock::time_point deadline) = 0;
    // Waits through the ticks of a pause (tick k, from 0, ends at start +
    // (k + 1) * tick) from tick done up to the end of tick last - 1, as one
    // wait. Returns the first application event that is queued or arrives
    // first, at once; it ends the tick it arrived in, and done counts the
    // ticks over, at least one more than before. At the end, Event::none()
    // with done = last.
    virtual Event waitTicks(Clock::time_point start, Clock::duration tick, int& done, int last) {
        const Event event = waitEventUntil(start + last * tick);
        if (event.kind == Event::Kind::None) {
            done = last;
        } else {
            done = ticksOverNow(start, tick, done, last);
        }
        return event;
    }

    // As a pacer: a click on the send button is the stop; any other event
    // that arrives during a pause ends the tick it arrived in and is dropped.
    bool waitForStop(Clock::time_point deadline) override {
        for (;;) {
            const Event event = waitEventUntil(deadline);
            if (event.kind == Event::Kind::None) {
                return false;
            }
            if (event.isClick(kSendButton)) {
                return true;
            }
        }
    }
    bool waitTicksForStop(Clock::time_point start, Clock::duration tick, int& done,
                          int last) override {
        return waitTicks(start, tick, done, last).isClick(kSendButton);
    }
};

}  // namespace morvale
