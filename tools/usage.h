// Command-line handling of the tools that take exactly one path: "--help"
// (or "-h") prints the usage on standard output and exits 0; an option the
// tool does not know, or another number of arguments, prints the usage on
// standard error and exits 2.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

// The one path argument of a well-formed command line.
inline const char* OnePathArgument(int argc, char** argv, const char* usage)
{
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(usage, stdout);
    std::exit(0);
  }
  if (argc != 2 || argv[1][0] == '-') {
    if (argc >= 2 && argv[1][0] == '-')
      std::fprintf(stderr, "unknown option %s\n", argv[1]);
    std::fputs(usage, stderr);
    std::exit(2);
  }
  return argv[1];
}
