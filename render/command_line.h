// The command line of vexa-render:  vexa-render SONG OUT.wav [--loops N] [--stems] [--rate HZ]
#pragma once

#include <string>
#include <vector>

constexpr int DEFAULT_RATE = 44100;
constexpr int MIN_RATE = 8000;
constexpr int MAX_RATE = 192000;
constexpr int MAX_LOOPS = 10000;

struct CommandLine {
  std::string song;
  std::string output;
  int loops = 1;
  bool stems = false;
  int rate = DEFAULT_RATE;
  bool help = false;  // --help or -h: print the usage and do nothing else
};

// Parses the arguments after the program name. Options may come before, between or after the
// two file names, with their value as the next argument or after "=" (--loops=2); "--" ends
// the options. False with a one-line reason in error for anything else.
bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine* commandLine,
                      std::string* error);

// The usage text, several lines ending in a newline.
std::string UsageText();
