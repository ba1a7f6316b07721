#include "basic_transfer.h"

#include <string>
#include <variant>

#include "basic_load.h"
#include "controls.h"
#include "file_loading.h"
#include "loading.h"
#include "memory_upload.h"

namespace morvale {

namespace {

void setLoadControlsEnabled(Window& window, bool enabled) {
    window.setEnabled(kCommandLine, enabled);
    window.setEnabled(kLoadButton, enabled);
    setKeyButtonsEnabled(window, enabled);
    window.setText(kSendButton, enabled ? "Senden" : "Abbruch");
}

// The window while the load runs: the step under way in the editor, the
// upload's pieces while the program goes out, a message for each piece that
// left short and for a device that failed.
class BasicLoadLook final : public Progress {
  public:
    explicit BasicLoadLook(Window& window) : window_(window) {}

    void planned(const TransferPlan& /*plan*/) override {
        editorText_ = window_.text(kEditor);
        entered_ = true;
        setLoadControlsEnabled(window_, false);
    }
    void basicLoadStep(BasicLoadStep step) override {
        step_ = step;
        switch (step) {
            case BasicLoadStep::PreparingBasic:
                window_.setText(kEditor, "Starte BASIC ...");
                break;
            case BasicLoadStep::Program:
                break;  // the pieces say how far it is
            case BasicLoadStep::Pointers:
                window_.setText(kEditor, "Setze BASIC-Zeiger ...");
                break;
            case BasicLoadStep::Returning:
                window_.setText(kEditor,
                                "Gebe BASIC die Tastatur zur\xFC"
                                "ck ...");
                break;
        }
    }
    void pieceStarted(const UploadPiece& piece) override {
        // The pointers go out as an upload too; their step has its own words.
        if (step_ == BasicLoadStep::Program) {
            window_.setText(kEditor, pieceLabel(piece));
        }
    }
    void pieceShort() override { showPieceShort(window_); }
    void deviceLost(const kc::Error& /*error*/) override { showDeviceLost(window_); }
    void leave() {
        if (entered_) {
            setLoadControlsEnabled(window_, true);
            window_.setText(kEditor, editorText_);
        }
    }

  private:
    Window& window_;
    std::string editorText_;
    BasicLoadStep step_ = BasicLoadStep::PreparingBasic;
    bool entered_ = false;
};

void refuseLine(Window& window, int line) {
    const std::string where = line > 0 ? "Zeile " + std::to_string(line) + ": " : "";
    window.showMessage("Fehler",
                       where +
                           "BASIC nimmt diese Zeile nicht an (keine Zeilennummer, Zeilennummer "
                           "\xFC"
                           "ber 65529, eine Taste zum Bearbeiten oder ESC).",
                       MessageIcon::None);
}

}  // namespace

void loadIntoBasic(AppState& state, Window& window, SerialLink& link, const kc::BasicFile& file,
                   const DiagnosticSink& diagnostics) {
    const std::size_t size = kc::programImageSize(file.program);
    if (basicLoadRefusal(size)) {
        window.showMessage("Fehler",
                           "Programm zu lang: mit " + std::to_string(size) +
                               " Bytes reicht es bis in den Bildschirmspeicher ab 8000h, den der "
                               "KC beim Laden \xFC"
                               "ber die Schnittstelle belegt. Bis zu " +
                               std::to_string(kLargestLoadableProgram) +
                               " Bytes lassen sich laden; ein l\xE4ngeres Programm bitte als "
                               "Listing senden.",
                           MessageIcon::None);
        return;
    }
    BasicLoadLook look(window);
    const SendReport report =
        loadBasicProgram(link, window, state.portName, file.program, file.isProtected, &look);
    state.kcTakesKeys = state.kcTakesKeys || report.lineEnded;
    showTrouble(window, link, report, kSendButton, diagnostics);
    look.leave();
}

void loadEditorAsBasic(AppState& state, Window& window, SerialLink& link,
                       const DiagnosticSink& diagnostics) {
    const std::string text = window.text(kEditor);
    if (isImageMarker(text) || isProgramMarker(text)) {
        if (const kc::BasicFile* kept = keptProgram(state, text)) {
            loadIntoBasic(state, window, link, *kept, diagnostics);
        } else {
            window.beep();
        }
        return;
    }
    const auto program = basicProgramOf(Listing{text}, "");
    if (const auto* error = std::get_if<kc::Error>(&program)) {
        refuseLine(window, error->line);
        return;
    }
    const auto& file = std::get<kc::BasicFile>(program);
    if (file.program.lines.empty()) {
        window.beep();
        return;
    }
    loadIntoBasic(state, window, link, file, diagnostics);
}

}  // namespace morvale
