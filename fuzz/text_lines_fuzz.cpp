// Loading a text file into the editor: the line reader and its line ends.
//
// Input: the bytes of a text file.
// Model: editorTextOfFile and textOfFile (rule_models.h). The bytes go
// through the loader's line splitting directly, and as a real ".txt" file
// through the load button, where an empty file changes nothing and any other
// file, UTF-8 turned into Latin-1, becomes the editor's text and grows the
// window, leaving the image state alone. Files over 1 MiB, which are
// refused, are left to the unit tests: one per run would make it crawl.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "app_state.h"
#include "check.h"
#include "file_loading.h"
#include "rule_models.h"
#include "scratch_files.h"
#include "scripted_window.h"
#include "text_lines.h"
#include "transcript.h"

using namespace fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScratchFiles files;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string expected = editorTextOfFile(bytes);
    expectEqual(morvale::editorTextFromFile(std::span(data, size)), expected, "editor text");

    morvale::testing::Transcript transcript;
    morvale::testing::ScriptedWindow window(transcript);
    window.chosenFiles.push_back(files.write("listing.txt", std::span(data, size)));
    morvale::AppState state;
    const morvale::AppState before = state;
    morvale::loadFile(state, window);

    expectEqual(window.text(morvale::kEditor), editorTextOfFile(textOfFile(bytes)),
                "editor text after loading the file");
    expectEqual(window.growCount, size > 0 ? 1 : 0, "the window grows after a load");
    expectTrue(window.messages.empty(), "no message");
    expectTrue(state.dataBuffer == before.dataBuffer && state.dataLength == before.dataLength &&
                   state.loadAddress == before.loadAddress,
               "a text load leaves the image alone");
    return 0;
}
