#include "sender.h"

#include <iostream>
#include <utility>

#include "basic_fetch.h"
#include "basic_transfer.h"
#include "controls.h"
#include "file_loading.h"
#include "memory_fetch.h"
#include "memory_upload.h"
#include "text_transfer.h"
#include "upload_check.h"

namespace morvale {

namespace {

constexpr int kDefaultPortItem = 2;  // "COM2"

}  // namespace

void sendCommandLine(AppState& state, Window& window, SerialLink& link,
                     const DiagnosticSink& diagnostics, std::chrono::milliseconds holdLimit) {
    const SendReport report =
        typeLine(link, window, state.portName, window.text(kCommandLine), holdLimit);
    state.kcTakesKeys = state.kcTakesKeys || report.lineEnded;
    showTrouble(window, link, report, kCommandLine, diagnostics);
    if (!report.isError(kc::ErrorKind::PortNotOpened)) {
        window.setText(kCommandLine, "");
    }
}

void sendKey(const AppState& state, Window& window, SerialLink& link, int controlId,
             const DiagnosticSink& diagnostics, std::chrono::milliseconds holdLimit) {
    if (const auto code = keyCode(controlId)) {
        const SendReport report = pressKey(link, window, state.portName, *code, holdLimit);
        showTrouble(window, link, report, controlId, diagnostics);
    }
}

Sender::Sender(Window& window, SerialLink& link, DiagnosticSink diagnostics)
    : window_(window), link_(link), diagnostics_(std::move(diagnostics)) {
    if (!diagnostics_) {
        diagnostics_ = [](std::string_view line) { std::cerr << line << '\n'; };
    }
    choosePort(kDefaultPortItem);
}

void Sender::run() {
    while (!state_.quit) {
        dispatch(window_.waitEvent());
    }
    link_.close();
}

void Sender::dispatch(const Event& event) {
    switch (event.kind) {
        case Event::Kind::Menu:
            if (event.id == kReturnKeyItem) {
                if (window_.focusedControl() == kCommandLine) {
                    sendCommandLine(state_, window_, link_, diagnostics_);
                }
            } else if (event.id >= kFirstPortItem && event.id <= kLastPortItem) {
                choosePort(event.id);
            } else if (event.id == kLoadAsBasicItem) {
                loadEditorAsBasic(state_, window_, link_, diagnostics_);
            } else if (event.id == kSaveBasicItem) {
                fetchBasicProgram(state_, window_, link_, diagnostics_);
            } else if (event.id == kSaveMemoryItem) {
                fetchMemory(state_, window_, link_, diagnostics_);
            } else if (event.id == kCheckUploadsItem) {
                toggleUploadCheck(state_, window_);
            }
            break;
        case Event::Kind::Control:
            if (event.id == kLoadButton) {
                loadFile(state_, window_);
            } else if (event.id == kSendButton) {
                sendEditorContent();
            } else if (keyCode(event.id)) {
                sendKey(state_, window_, link_, event.id, diagnostics_);
            }
            break;
        case Event::Kind::Close:
            state_.quit = true;
            break;
        case Event::Kind::None:
            break;
    }
}

void Sender::choosePort(int menuId) {
    state_.portName = "COM" + std::to_string(menuId);
    window_.checkPortItem(menuId);
}

void Sender::sendEditorContent() {
    // The editor's text alone tells what is ready to send.
    const std::string text = window_.text(kEditor);
    if (const kc::BasicFile* program = keptProgram(state_, text)) {
        loadIntoBasic(state_, window_, link_, *program, diagnostics_);
    } else if (isProgramMarker(text)) {
        window_.beep();  // typed by hand, with no program loaded
    } else if (isImageMarker(text)) {
        uploadImage(state_, window_, link_);
    } else {
        sendText(state_, window_, link_, text, diagnostics_);
    }
}

}  // namespace morvale
