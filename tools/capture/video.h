// The capture's video: ffmpeg as a child process, started with an argument
// vector (no shell sees a file name), reading raw RGB frames on a pipe this
// program owns and the soundtrack from a file. Every name reaches ffmpeg as
// "file:NAME", so a name that begins with a dash or looks like a protocol is
// a file. MP4 (and MOV) files are written fragmented, Matroska where the name
// ends in ".mkv", MP4 where it has no ending at all: a capture killed outright
// still leaves a file that plays up to its last complete fragment. ffmpeg runs
// in a process group of its own, so a Ctrl-C at the terminal reaches only the
// capture, which then closes the video itself.
#pragma once

#include "frames.h"

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

struct TVideoSettings {
  std::string Path;        // the video, as the user named it
  std::string Soundtrack;  // the Ogg Vorbis file the sound is taken from
  int Width, Height;       // of the video and of the raw RGB frames written
  TCaptureRate Rate;
  int32_t From;            // ms of music of the first frame
  int64_t FrameCount;      // frames the capture means to write
};

// ffmpeg's arguments for these settings, the program name first. Pure: no files.
std::vector<std::string> VideoArguments(const TVideoSettings& settings, const std::string& program);

// The full name of an executable program found on PATH, or "" when none.
std::string FindProgram(const std::string& name);

class TVideoEncoder {
public:
  TVideoEncoder() = default;
  TVideoEncoder(const TVideoEncoder&) = delete;
  TVideoEncoder& operator=(const TVideoEncoder&) = delete;
  // Kills an ffmpeg still running (a capture that fails elsewhere).
  ~TVideoEncoder();

  // Starts ffmpeg; false with the reason when it cannot be started.
  bool Start(const TVideoSettings& settings, std::string& error);
  // One frame of Width x Height RGB, top row first. False when
  // ffmpeg no longer takes frames; Finish then tells why.
  bool Write(const std::vector<uint8_t>& rgb);
  // Ends the input and waits for ffmpeg to close the file. False with
  // ffmpeg's own last lines of error output when it failed; the file it left
  // under the name is then removed, unless the name was not a regular file
  // or ffmpeg never touched it.
  bool Finish(std::string& error);
  int64_t FramesWritten() const { return Frames; }

private:
  std::string Path;
  pid_t Child = -1;
  int Input = -1;    // the write end of ffmpeg's standard input
  int Errors = -1;   // ffmpeg's standard error, kept in memory
  int64_t Frames = 0;
  bool Existed = false;  // the name held a file before ffmpeg started
  int64_t OldSize = 0;
  int64_t OldModified = 0;
};
