#include "render/command_line.h"

namespace {

// A whole decimal number within min … max.
bool ParseNumber(const std::string& text, int min, int max, int* value) {
  if (text.empty() || text.size() > 9) return false;
  long number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  if (number < min || number > max) return false;
  *value = static_cast<int>(number);
  return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine* commandLine,
                      std::string* error) {
  CommandLine result;
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      files.push_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (argument == "--help" || argument == "-h") {
      result.help = true;
      continue;
    }
    if (argument == "--stems") {
      result.stems = true;
      continue;
    }
    // Options with a value: "--name value" or "--name=value".
    std::string name = argument;
    std::string value;
    bool hasValue = false;
    const size_t equals = argument.find('=');
    if (equals != std::string::npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
      hasValue = true;
    }
    if (name == "--stems" || name == "--help") {
      *error = name + " takes no value";
      return false;
    }
    if (name != "--loops" && name != "--rate") {
      *error = "unknown option " + name;
      return false;
    }
    if (!hasValue) {
      if (i + 1 >= arguments.size()) {
        *error = name + " needs a value";
        return false;
      }
      value = arguments[++i];
    }
    if (name == "--loops" && !ParseNumber(value, 1, MAX_LOOPS, &result.loops)) {
      *error = "--loops takes a whole number from 1 to " + std::to_string(MAX_LOOPS) + ", not \"" +
               value + "\"";
      return false;
    }
    if (name == "--rate" && !ParseNumber(value, MIN_RATE, MAX_RATE, &result.rate)) {
      *error = "--rate takes a sample rate in Hz from " + std::to_string(MIN_RATE) + " to " +
               std::to_string(MAX_RATE) + ", not \"" + value + "\"";
      return false;
    }
  }
  if (result.help) {
    *commandLine = result;
    return true;
  }
  if (files.size() != 2) {
    *error = files.size() < 2 ? "a song file and an output file are needed"
                              : "too many file names: " + files[2];
    return false;
  }
  if (files[0].empty() || files[1].empty()) {
    *error = "a file name is empty";
    return false;
  }
  result.song = files[0];
  result.output = files[1];
  *commandLine = result;
  return true;
}

std::string UsageText() {
  return "usage: vexa-render SONG OUT.wav [--loops N] [--stems] [--rate HZ]\n"
         "\n"
         "Plays a Vexa Tracker song file offline and writes it as a 16-bit stereo WAV file.\n"
         "The song plays from its first position until it has come back to its start N times,\n"
         "followed by up to two seconds of release until the sound has died away.\n"
         "\n"
         "  --loops N   play the song N times (default 1)\n"
         "  --stems     also write OUT-1.wav ... OUT-4.wav, one per channel\n"
         "  --rate HZ   sample rate of the output, 8000 to 192000 (default 44100)\n"
         "  --help      show this text\n";
}
