#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "file_loading.h"
#include "scratch_dir.h"
#include "sender_fixture.h"
#include "text_lines.h"

namespace morvale::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> kccFile(std::uint16_t load, std::uint16_t end, std::size_t imageBytes) {
    std::vector<std::uint8_t> bytes(128 + imageBytes);
    bytes[17] = load & 0xFF;
    bytes[18] = load >> 8;
    bytes[19] = end & 0xFF;
    bytes[20] = end >> 8;
    for (std::size_t i = 0; i < imageBytes; ++i) {
        bytes[128 + i] = static_cast<std::uint8_t>(i * 7 + 1);
    }
    return bytes;
}

class Loading : public SenderTest {
  protected:
    std::string file(const std::string& name, std::string_view content) {
        const std::string path = directory_ / name;
        std::ofstream(path, std::ios::binary).write(content.data(), content.size());
        return path;
    }
    std::string file(const std::string& name, const std::vector<std::uint8_t>& content) {
        return file(
            name, std::string_view(reinterpret_cast<const char*>(content.data()), content.size()));
    }
    void load(const std::string& path) {
        window.chosenFiles.push_back(path);
        click(kLoadButton);
    }
    void loadText(std::string_view content) { load(file("listing.bas", content)); }
    std::vector<std::uint8_t> data() const {
        return {state().dataBuffer.begin(), state().dataBuffer.begin() + state().dataLength};
    }
    // Any state a failed load must leave as it was.
    void givePreviousImage() {
        state().dataBuffer = {1, 2, 3};
        state().dataLength = 3;
        state().loadAddress = 0x1234;
        window.texts[kEditor] = "earlier";
    }
    void expectPreviousImage() {
        EXPECT_EQ(data(), (std::vector<std::uint8_t>{1, 2, 3}));
        EXPECT_EQ(state().loadAddress, 0x1234);
        EXPECT_EQ(window.text(kEditor), "earlier");
        EXPECT_TRUE(window.isEnabled(kEditor));
        EXPECT_EQ(window.growCount, 0);
    }

    const ScratchDir directory_;
};

TEST_F(Loading, OffersTheFiveFileKinds) {
    load("");
    ASSERT_EQ(window.fileDialogs.size(), 1u);
    EXPECT_EQ(window.fileDialogs[0],
              "Laden|KCC und KCB-Dateien|*.kcc;*.kcb|Bin\xE4r-Dateien|*.bin|Basic-Quellkodes|"
              "*.bas|Text-Dateien|*.txt|BASIC-Programme|*.sss;*.tap");
}

TEST_F(Loading, EveryKindOfLineEndGivesCarriageReturnLineFeed) {
    for (std::string_view content : {"A\r\nB\r\n", "A\nB\n", "A\rB\r", "A\nB", "A\r\nB"}) {
        loadText(content);
        EXPECT_EQ(window.text(kEditor), "A\r\nB\r\n") << content;
    }
    EXPECT_EQ(window.growCount, 5);
}

TEST_F(Loading, LineReaderEdgeCases) {
    const auto lines = [](std::string_view bytes) {
        return editorTextFromFile(
            {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    };
    EXPECT_EQ(lines("A\n\rB\n\r"), "A\r\n\r\nB\r\n\r\n");  // LF CR is two line ends
    EXPECT_EQ(lines(std::string_view("AB\0CD", 5)), "AB\r\nCD\r\n");
    EXPECT_EQ(lines("A\r"), "A\r\n");
    EXPECT_EQ(lines("\r\n"), "\r\n");
    EXPECT_EQ(lines("\n\n"), "\r\n\r\n");
    EXPECT_EQ(lines("\xEF\xBB\xBF"
                    "10 END"),
              "\xEF\xBB\xBF"
              "10 END\r\n");
    EXPECT_EQ(lines("\t\xC4 \x7F"), "\t\xC4 \x7F\r\n");
    EXPECT_EQ(lines(""), "");
}

TEST_F(Loading, TextLoadLeavesImageAndEditorStateAlone) {
    load(file("spiel.bin", std::string(300, 'x')));
    ASSERT_FALSE(window.isEnabled(kEditor));
    loadText("10 PRINT\n");
    EXPECT_EQ(window.text(kEditor), "10 PRINT\r\n");
    EXPECT_FALSE(window.isEnabled(kEditor));
    EXPECT_EQ(state().dataLength, 300);
    EXPECT_EQ(state().loadAddress, 0x200);
}

TEST_F(Loading, RawImage) {
    std::vector<std::uint8_t> image(300);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(255 - i);
    }
    load(file("SPIEL.BIN", image));
    EXPECT_EQ(window.text(kEditor), "BIN\xC4R");
    EXPECT_FALSE(window.isEnabled(kEditor));
    EXPECT_EQ(data(), image);
    EXPECT_EQ(state().loadAddress, 0x200);
    EXPECT_EQ(window.growCount, 1);
}

TEST_F(Loading, RawImageOfSixtyFourKilobytesIsRefused) {
    givePreviousImage();
    load(file("big.bin", std::string(65536, 'x')));
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].title, "Fehler");
    EXPECT_EQ(window.messages[0].text, "Datei zu gro\xDF!");
    EXPECT_EQ(window.messages[0].icon, MessageIcon::None);
    expectPreviousImage();

    load(file("largest.bin", std::string(65535, 'y')));
    EXPECT_EQ(state().dataLength, 65535);
}

TEST_F(Loading, ContainerGivesLoadAddressAndLength) {
    const auto bytes = kccFile(0x300, 0x500, 1000);
    load(file("spiel.kcc", bytes));
    EXPECT_EQ(window.text(kEditor), "KCC");
    EXPECT_FALSE(window.isEnabled(kEditor));
    EXPECT_EQ(state().loadAddress, 0x300);
    EXPECT_EQ(data(), std::vector<std::uint8_t>(bytes.begin() + 128, bytes.begin() + 128 + 512));
    EXPECT_EQ(window.growCount, 1);

    click(kSendButton);  // the address prompt now offers the header's address
    EXPECT_EQ(window.prompts.at(0).preset, "300");
}

TEST_F(Loading, ContainerShorterThanItsHeaderSays) {
    load(file("kurz.kcc", kccFile(0x300, 0x500, 100)));
    EXPECT_EQ(state().dataLength, 100);
}

TEST_F(Loading, UpperCaseKcbExtension) {
    load(file("SPIEL.KCB", kccFile(0x1000, 0x1010, 16)));
    EXPECT_EQ(window.text(kEditor), "KCB");
    EXPECT_EQ(state().loadAddress, 0x1000);
    EXPECT_EQ(state().dataLength, 16);
}

TEST_F(Loading, ContainerWhoseEndIsNotBeyondItsLoadAddressIsAnEmptyImage) {
    load(file("leer.kcc", kccFile(0x500, 0x300, 64)));
    EXPECT_EQ(window.text(kEditor), "KCC");
    EXPECT_EQ(state().loadAddress, 0x500);
    EXPECT_EQ(state().dataLength, 0);
    EXPECT_EQ(window.growCount, 1);
}

TEST_F(Loading, FileShorterThanAHeaderKeepsTheRestOfTheLastHeader) {
    load(file("a.kcc", kccFile(0x300, 0x500, 10)));
    load(file("b.kcc", std::string(10, '\0')));
    EXPECT_EQ(state().loadAddress, 0x300);
    EXPECT_EQ(state().dataLength, 0);
}

TEST_F(Loading, RealKccFile) {
    std::ifstream in(TEST_DATA_DIR "/BINLOAD.KCC", std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    load(TEST_DATA_DIR "/BINLOAD.KCC");
    EXPECT_EQ(window.text(kEditor), "KCC");
    EXPECT_EQ(state().loadAddress, 0x200);
    EXPECT_EQ(state().dataLength, 443);
    EXPECT_EQ(data(), std::vector<std::uint8_t>(bytes.begin() + 128, bytes.begin() + 128 + 443));
}

TEST_F(Loading, NothingChangesWithoutAUsableFile) {
    givePreviousImage();
    load("");  // cancelled
    load(directory_ / "fehlt.kcc");
    load(file("leer.bin", ""));
    load(file("leer.bas", ""));
    fs::create_directory(directory_ / "ordner.kcc");
    load(directory_ / "ordner.kcc");
    expectPreviousImage();
    EXPECT_TRUE(window.messages.empty());
}

// Root reads any file; an unreadable one needs an ordinary user.
void dropPrivileges() {
    if (::geteuid() == 0 && ::setresgid(65534, 65534, 65534) == 0) {
        [[maybe_unused]] int ignored = ::setresuid(65534, 65534, 65534);
    }
}

TEST_F(Loading, UnreadableImageChangesNothing) {
    ::chmod(directory_.path().c_str(), 0755);
    const std::string raw = file("geheim.bin", std::string(300, 'x'));
    const std::string container = file("geheim.kcc", kccFile(0x300, 0x500, 512));
    ::chmod(raw.c_str(), 0);
    ::chmod(container.c_str(), 0);
    const auto loadAsOrdinaryUser = [&] {
        dropPrivileges();
        givePreviousImage();
        load(raw);
        load(container);
        const bool unchanged = data() == std::vector<std::uint8_t>{1, 2, 3} &&
                               state().loadAddress == 0x1234 && window.text(kEditor) == "earlier" &&
                               window.isEnabled(kEditor) && window.growCount == 0;
        std::exit(unchanged ? 0 : 1);
    };
    EXPECT_EXIT(loadAsOrdinaryUser(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace morvale::testing
