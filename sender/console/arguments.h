// kcsend's command line.
//
//   kcsend [OPTIONS] type TEXT...        kcsend [OPTIONS] key NAME...
//   kcsend [OPTIONS] text FILE           kcsend [OPTIONS] upload FILE [-a ADDRESS]
//   kcsend [OPTIONS] run FILE [-a ADDRESS] [-s START]
//   kcsend [OPTIONS] basic FILE          kcsend list FILE
//   kcsend [OPTIONS] save FILE           kcsend [OPTIONS] dump FROM TO FILE
//   kcsend ports
//
// Options may stand before or after the command word, up to "--"; for type,
// everything from the first word of the text on is text, so that a command
// such as PRINT -1 can be typed as it is.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "text_pacing.h"

namespace morvale::console {

enum class Command { Type, Key, Text, Upload, Run, Basic, List, Save, Dump, Ports };
enum class ProgressMode { Auto, Always, Quiet };

struct Options {
    Command command = Command::Type;
    std::string port = "COM2";
    std::vector<std::string> operands;   // type: the words; key: the names; else the file
    std::optional<std::string> address;  // upload's -a, as given
    std::optional<std::string> start;    // -s, as given: start the program there
    bool restoreCaos = false;            // type MODIFY 1E2 / E7 FA before the upload or dump
    bool verify = false;                 // read the upload back and compare
    bool keepCase = false;
    TextPacing pacing;  // text's pauses
    ProgressMode progress = ProgressMode::Auto;
};

struct ShowHelp {};
struct ShowVersion {};
// What is wrong with the command line, as one line without the program name.
struct UsageError {
    std::string message;
};

using Arguments = std::variant<Options, ShowHelp, ShowVersion, UsageError>;

// Reads the arguments after the program's name. Never fails; a command line
// that makes no sense gives a UsageError.
Arguments parseArguments(const std::vector<std::string>& args);

// The text of --help.
std::string usageText();

}  // namespace morvale::console
