#pragma once

#include <cstdio>

// What the command-line programs ask of the operating system; one file per platform.
namespace velora_cli::os {

// Standard output and error carry the same bytes on every system: UTF-8 text with "\n" line
// ends, binary data unchanged; a console shows UTF-8.
void prepareStandardStreams();
// A program without a console of its own (a window program) writes to the console it was
// started from, when there is one and its output is not redirected.
void attachParentConsole();
// A write to a pipe whose reader has gone fails instead of ending the process.
void ignoreBrokenPipe();
bool isTerminal(std::FILE* stream);
// The program's arguments in UTF-8, as the tools take paths (Windows hands them to main in
// its ANSI code page, which cannot hold every name).
char** utf8Arguments(int argc, char** argv);
// The Qt platform plugin that lays out text, for a PDF, without a display.
const char* textLayoutPlatform();

} // namespace velora_cli::os
