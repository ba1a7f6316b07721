// The built kcsend run as a process against a pseudo-terminal peer: the
// bytes each command puts on the line are the window's bytes for the same
// input; Ctrl+C, the ROM guard, failures and usage errors end it with the
// status and the one line they should. The pauses are the shared logic's,
// proven by its own tests.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <numeric>

#include "basic_listing.h"
#include "program_run.h"
#include "pty_peer.h"
#include "scratch_dir.h"
#include "sss.h"
#include "tap.h"

namespace morvale::testing {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// kcsend inherits the environment, so MORVALE_COM2 names the peer's device.
RunOptions kcsend(const std::vector<std::string>& args, const std::string& input = {}) {
    return {.program = KCSEND_BINARY, .args = args, .stdinText = input};
}

RunResult runKcsend(const std::vector<std::string>& args, const std::string& input = {}) {
    return runProgram(kcsend(args, input));
}

class Kcsend : public ::testing::Test {
  protected:
    Kcsend() { ::setenv("MORVALE_COM2", peer.devicePath().c_str(), 1); }
    ~Kcsend() override { ::unsetenv("MORVALE_COM2"); }

    std::string file(const std::string& name, const Bytes& content) {
        const std::string path = dir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(content.data()),
                   static_cast<std::streamsize>(content.size()));
        return path;
    }
    // Once the program has ended its bytes are all on the way, but the peer's
    // reader may still be catching up with the last ones.
    void expectReceived(const Bytes& expected) {
        peer.waitForBytes(expected.size(), 5s);
        EXPECT_EQ(peer.receivedBytes(), expected);
        peer.clear();
    }
    static void expectSuccess(const RunResult& result) {
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.err, "");
    }
    // One line on standard error, naming the program and containing what.
    static void expectFailure(const RunResult& result, int status, std::string_view what) {
        EXPECT_EQ(result.exitCode, status);
        EXPECT_TRUE(result.err.starts_with("kcsend: ")) << result.err;
        EXPECT_NE(result.err.find(what), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }

    PtyPeer peer;
    const ScratchDir dir;
};

TEST_F(Kcsend, TypeJoinsWordsInCapitalsAsTheCommandLineDoes) {
    expectSuccess(runKcsend({"type", "print", "a$;  b", "\xC3\xA4\xC3\x9F"}));
    expectReceived(bytesOf("PRINT A$;  B \xC4\xDF\r"));
    expectSuccess(runKcsend({"type", "--keep-case", "list", "-1"}));
    expectReceived(bytesOf("list -1\r"));
    expectSuccess(runKcsend({"type"}));
    expectReceived(bytesOf("\r"));
}

TEST_F(Kcsend, KeyPressesNamedKeysInAnyCase) {
    expectSuccess(runKcsend({"key", "f1", "Brk", "STOP", "home", "F6"}));
    expectReceived({0xF1, 0x03, 0x13, 0x10, 0xF6});
}

TEST_F(Kcsend, TextTypesAListingFromAFileOrStandardInput) {
    // The opening carriage return, the lines ending in CR alone, and a final
    // CR for the last line that had none.
    const Bytes expected = bytesOf("\r10 PRINT \"\xFC\"\r20 END\r");
    expectSuccess(runKcsend({"text", file("demo.bas", bytesOf("10 PRINT \"\xFC\"\r\n20 END"))}));
    expectReceived(expected);
    // Standard input in UTF-8 is typed as Latin-1, as a file is.
    expectSuccess(runKcsend({"text", "-"}, "10 PRINT \"\xC3\xBC\"\n20 END\n"));
    expectReceived(expected);

    // A line longer than BASIC keeps goes out whole, with one line saying so.
    const std::string line = "10 REM " + std::string(67, 'X');
    const RunResult overlong = runKcsend({"text", "-"}, "1 END\n" + line + "\n");
    EXPECT_EQ(overlong.exitCode, 0);
    EXPECT_NE(overlong.err.find("standard input: line 2 is longer than the 73 characters"),
              std::string::npos)
        << overlong.err;
    expectReceived(bytesOf("\r1 END\r" + line + "\r"));
}

TEST_F(Kcsend, UploadSendsAKccImageToItsLoadAddressInPieces) {
    Bytes kcc(128 + 1025);
    kcc[17] = 0x00;  // load address 0x300
    kcc[18] = 0x03;
    kcc[19] = 0x01;  // end address 0x701: 1025 bytes
    kcc[20] = 0x07;
    std::iota(kcc.begin() + 128, kcc.end(), std::uint8_t{5});
    Bytes expected{0x1B, 0x54, 0x00, 0x03, 0x01, 0x04};
    expected.insert(expected.end(), kcc.begin() + 128, kcc.end());

    expectSuccess(runKcsend({"upload", file("demo.kcc", kcc)}));
    expectReceived(expected);
    // The address is read as the prompt reads it: "4g" is 4.
    expectSuccess(runKcsend({"upload", file("DEMO.KCC", kcc), "-a", "4g"}));
    expected[2] = 0x04;
    expected[3] = 0x00;
    expectReceived(expected);

    // The same file in a KC-TAP archive, and with the tape's block numbers
    // kept: blocks of 128 bytes numbered 01h, 02h, ..., FFh for the last.
    Bytes tap(kc::kTapMagic.begin(), kc::kTapMagic.end());
    Bytes numbered;
    for (std::size_t at = 0; at < kcc.size(); at += 128) {
        const auto number = static_cast<std::uint8_t>(at + 128 >= kcc.size() ? 0xFF : at / 128 + 1);
        Bytes block(kcc.begin() + at, kcc.begin() + std::min(at + 128, kcc.size()));
        block.resize(128);
        for (Bytes* out : {&tap, &numbered}) {
            out->push_back(number);
            out->insert(out->end(), block.begin(), block.end());
        }
    }
    expected[2] = 0x00;
    expected[3] = 0x03;
    for (const auto& [name, bytes] : {std::pair{"demo.tap", tap}, {"numbered.kcc", numbered}}) {
        expectSuccess(runKcsend({"upload", file(name, bytes)}));
        expectReceived(expected);
    }
}

TEST_F(Kcsend, RunUploadsAndStartsAtTheHeaderStartAddress) {
    Bytes kcc(128 + 2);
    kcc[16] = 3;  // three addresses: load 0x300, end 0x302, start 0x301
    kcc[17] = 0x00;
    kcc[18] = 0x03;
    kcc[19] = 0x02;
    kcc[20] = 0x03;
    kcc[21] = 0x01;
    kcc[22] = 0x03;
    kcc[128] = 0xAA;
    kcc[129] = 0xC9;
    const Bytes upload{0x1B, 0x54, 0x00, 0x03, 0x02, 0x00, 0xAA, 0xC9};
    const auto then = [&](Bytes start) {
        Bytes bytes = upload;
        bytes.insert(bytes.end(), start.begin(), start.end());
        return bytes;
    };
    expectSuccess(runKcsend({"run", file("prog.kcc", kcc)}));
    expectReceived(then({0x1B, 0x55, 0x01, 0x03}));
    expectSuccess(runKcsend({"upload", file("prog.kcc", kcc), "-s", "F003"}));
    expectReceived(then({0x1B, 0x55, 0x03, 0xF0}));

    // At the CAOS prompt, CAOS first gets its command state back.
    expectSuccess(runKcsend({"upload", "--restore-caos", file("prog.kcc", kcc)}));
    Bytes restored = bytesOf("MODIFY 1E2\rE7 FA.\r");
    restored.insert(restored.end(), upload.begin(), upload.end());
    expectReceived(restored);

    kcc[16] = 2;  // no start address
    expectFailure(runKcsend({"run", file("prog.kcc", kcc)}), 1, "no start address");
    EXPECT_FALSE(peer.waitForBytes(1, 100ms));
}

TEST_F(Kcsend, BasicLoadsAListingAsBasicWouldStoreItTyped) {
    expectSuccess(runKcsend({"basic", file("game.bas", bytesOf("20 goto 10\n10 ?\n"))}));
    Bytes expected = bytesOf("\rBASIC\r\rDOKE 482,-1305:NEW\r");
    const Bytes uploads = {0x1B, 'T',  0x01, 0x04, 0x11, 0x00,  // 17 bytes to 0401h
                           0x07, 0x04, 0x0A, 0x00, 0x9E, 0x00,  // 10 PRINT
                           0x10, 0x04, 0x14, 0x00, 0x88, 0x20, 0x31, 0x30, 0x00,  // 20 GOTO 10
                           0x00, 0x00,  // the closing link
                           0x1B, 'T',  0xD7, 0x03, 0x06, 0x00, 0x12, 0x04, 0x12,
                           0x04, 0x12, 0x04,  // pointers
                           0x0D};
    expected.insert(expected.end(), uploads.begin(), uploads.end());
    expectReceived(expected);
}

TEST_F(Kcsend, BasicAndListTakeProgramsAndNameWhatIsNone) {
    kc::BasicFile game{"GAME", true, {{{10, {0x9E, 0x20, 0x22, 0xC4, 0x22}}}}};
    const std::string sss = file("game.sss", kc::writeSss(game.program));
    const std::string tap = file("game.tap", kc::writeTap(game));
    const RunResult listed = runKcsend({"list", sss});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, "10 PRINT \"\xC3\x84\"\n");
    const RunResult fromTape = runKcsend({"list", tap});
    EXPECT_EQ(fromTape.out, listed.out);
    EXPECT_NE(fromTape.err.find("saved protected"), std::string::npos) << fromTape.err;

    expectFailure(runKcsend({"basic", file("bad.bas", bytesOf("10 END\nPRINT 1\n"))}), 1,
                  "line 2 (\"PRINT 1\") has no line number");
    expectFailure(runKcsend({"basic", file("image.bin", Bytes(4, 0))}), 2,
                  "upload it with kcsend upload");
    expectFailure(runKcsend({"text", sss}), 2, "load it with kcsend basic");
    expectFailure(runKcsend({"list", file("broken.sss", Bytes{0x40, 0x00, 0x01})}), 1, "runs past");
    EXPECT_TRUE(peer.receivedBytes().empty());
}

TEST_F(Kcsend, RomGuardRefusesWithTheReasonAndSendsNothing) {
    const std::string image = file("game.bin", Bytes(0x300, 0xAA));
    expectFailure(runKcsend({"upload", image, "-a", "E000"}), 1, "ROM");
    expectFailure(runKcsend({"upload", image, "-a", "DE00"}), 1, "ROM");
    expectFailure(runKcsend({"upload", image, "-a", "80000000"}), 1, "no KC address");
    EXPECT_FALSE(peer.waitForBytes(1, 100ms));
}

TEST_F(Kcsend, CtrlCDuringAListingEndsItAsAbbruchDoes) {
    // One line of 2,000 characters, long enough to be interrupted midway.
    // Quiet: the line is longer than BASIC keeps, which is not the point here.
    ProgramRun listing(kcsend({"-q", "text", file("long.txt", Bytes(2000, 'A'))}));
    ASSERT_TRUE(peer.waitForBytes(20, 10s));
    listing.sendSignal(SIGINT);
    const RunResult result = listing.finish();
    expectFailure(result, 130, "interrupted");

    // CR, some of the text, and the abort's CR; none after it, since a
    // loaded text ends with a line end.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    Bytes sent = peer.receivedBytes();
    while (sent.back() != '\r' && std::chrono::steady_clock::now() < deadline) {
        peer.waitForBytes(sent.size() + 1, 100ms);
        sent = peer.receivedBytes();
    }
    ASSERT_GE(sent.size(), 21u);
    ASSERT_LT(sent.size(), 2002u);
    EXPECT_EQ(sent.front(), '\r');
    EXPECT_EQ(Bytes(sent.begin() + 1, sent.end() - 1), Bytes(sent.size() - 2, 'A'));
    EXPECT_EQ(sent.back(), '\r');
    EXPECT_FALSE(peer.waitForBytes(sent.size() + 1, 50ms));
}

TEST_F(Kcsend, WhatCouldNotBeSentEndsWithStatus1AndOneLine) {
    expectFailure(runKcsend({"text", dir / "missing.bas"}), 1, "no such file");
    expectFailure(runKcsend({"text", file("empty.bas", {})}), 1, "is empty");
    expectFailure(runKcsend({"upload", file("huge.bin", Bytes(0x10000))}), 1, "65,535");
    const std::size_t overMiB = 1024 * 1024 + 1;
    expectFailure(runKcsend({"text", file("huge.txt", Bytes(overMiB, 'A'))}), 1, "1 MiB");
    expectFailure(runKcsend({"text", "-"}, std::string(overMiB, 'A')), 1, "1 MiB");
    expectFailure(runKcsend({"-p", "COM7", "key", "brk"}), 1, "COM7");
    expectFailure(runKcsend({"-p", dir / "no-tty", "type", "run"}), 1, "no-tty");
    EXPECT_FALSE(peer.waitForBytes(1, 100ms));
}

TEST_F(Kcsend, UsageErrorsEndWithStatus2AndOneLine) {
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"send", "x"},
        {"key"},
        {"key", "F7"},
        {"text"},
        {"text", "a", "b"},
        {"upload", "-"},
        {"type", "--bogus"},
        {"-p"},
        {"text", "x.bas", "-a", "300"},
        {"key", "brk", "--keep-case"},
        {"type", "\xE2\x82\xAC"},  // the euro sign is not in Latin-1
        {"text", file("image.kcc", Bytes(200))},
        {"upload", file("listing.bas", bytesOf("10 END\n"))},
        {"text", "x.bas", "--line-pause", "1s"},
        {"--char-pause", "5", "type", "A"},
        {"key", "brk", "-s", "200"},
        {"run", file("prog.bin", Bytes(4)), "-s", "10000"},
        {"ports", "COM2"},
    };
    for (const auto& args : wrong) {
        SCOPED_TRACE(::testing::PrintToString(args));
        expectFailure(runKcsend(args), 2, "");
    }
    EXPECT_FALSE(peer.waitForBytes(1, 100ms));
}

TEST_F(Kcsend, PortsListsTheFourComPortsWithTheDeviceAVariableFixes) {
    const RunResult ports = runKcsend({"ports"});
    EXPECT_EQ(ports.exitCode, 0);
    EXPECT_EQ(ports.err, "");
    for (const char* number : {"COM1  ", "COM3  ", "COM4  "}) {
        EXPECT_NE(("\n" + ports.out).find(std::string("\n") + number), std::string::npos)
            << ports.out;
    }
    EXPECT_NE(ports.out.find("COM2  " + peer.devicePath()), std::string::npos) << ports.out;
    EXPECT_NE(ports.out.find(
                  "from MORVALE_COM2, driver pseudo-terminal; XOFF: kernel; you may open it\n"),
              std::string::npos)
        << ports.out;
}

TEST_F(Kcsend, HelpAndVersionGoToStandardOutput) {
    const RunResult help = runKcsend({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: kcsend")) << help.out;
    const RunResult version = runKcsend({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.starts_with("kcsend ")) << version.out;
}

}  // namespace
}  // namespace morvale::testing
