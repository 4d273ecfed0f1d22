// The capture's video: ffmpeg as a child process, started with an argument
// vector (no shell sees a file name), reading raw RGB frames on a pipe this
// program owns and the soundtrack from a file. Every name reaches ffmpeg as
// "file:NAME", so a name that begins with a dash or looks like a protocol is
// a file. Matroska where the name ends in ".mkv", MP4 (or MOV) where it ends
// in ".mp4", ".m4v" (".mov") or has no ending at all.
//
// The pictures are H.264 High, 4:2:0, converted from RGB by the BT.709 matrix
// at limited range and tagged so (primaries, transfer, matrix, range), with
// two B-frames and a closed group of pictures of half a second at most; the
// sound is the soundtrack resampled to 48 kHz, stereo AAC-LC.
//
// The video is written whole or not at all: ffmpeg writes a temporary beside
// it (VideoTemporaryName: "clip.part.mp4" for "clip.mp4") that Finish renames
// over the video once ffmpeg has closed it, so an older video of that name
// stays as it was until then, and a capture that fails keeps it. MP4 is
// written fragmented, so a capture killed outright leaves a temporary that
// plays up to its last complete fragment (half a second); once ffmpeg has
// closed it, a second ffmpeg copies it into a plain MP4 with its index first
// and no edit list (FinalVideoArguments), which is what is renamed. A link is
// followed to the file it names (FollowLinks), and that file is replaced; a
// name that exists and is no regular file (/dev/stdout, a pipe) is written
// directly, fragmented. ffmpeg runs in a process group of its own, so a
// Ctrl-C at the terminal reaches only the capture, which then closes the
// video itself.
#pragma once

#include "frames.h"

#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct TVideoSettings {
  std::string Program;     // ffmpeg's full name (FindFfmpeg)
  std::string Path;        // the video, as the user named it
  std::string Soundtrack;  // the Ogg Vorbis file the sound is taken from
  int Width, Height;       // of the video and of the raw RGB frames written
  TCaptureRate Rate;
  int32_t From;            // ms of music of the first frame
  int64_t FrameCount;      // frames the capture means to write
};

// ffmpeg's arguments for these settings, the program first, writing the
// file output; the container follows the video's own name (settings.Path).
// Pure: no files.
std::vector<std::string> VideoArguments(const TVideoSettings& settings, const std::string& output);

// Whether a video named path is written as fragmented MP4 (or MOV) and, once
// whole, rewritten as a plain one: endings .mp4, .m4v, .mov or none. Pure.
bool IsRewrittenMp4(const std::string& path);

// The key frame interval of a video at that rate: half a second of frames,
// rounded down, at least 1. Pure.
int KeyFrameInterval(const TCaptureRate& rate);

// ffmpeg's arguments that copy the finished fragmented video (named path by
// the user) into output as a plain MP4 (or MOV) with its index before the
// media and no edit list. Pure.
std::vector<std::string> FinalVideoArguments(const std::string& program, const std::string& path,
                                             const std::string& fragmented, const std::string& output);

// The temporary a video named path is written to: ".part" (then ".part1",
// ".part2", ... for attempt 1, 2, ...) put before the ending of its last
// component, or after the name when it has no ending. Pure.
std::string VideoTemporaryName(const std::string& path, int attempt);

// The full name of an executable program found on PATH, or "" when none.
std::string FindProgram(const std::string& name);

// ffmpeg's full name, or "" with the reason the video cannot be made.
std::string FindFfmpeg(std::string& error);

class TVideoEncoder {
public:
  TVideoEncoder() = default;
  TVideoEncoder(const TVideoEncoder&) = delete;
  TVideoEncoder& operator=(const TVideoEncoder&) = delete;
  // Kills an ffmpeg still running (a capture that fails elsewhere), waits
  // for it and removes its temporary: the video is then as it was before.
  ~TVideoEncoder();

  // Makes the temporary and starts ffmpeg on it; false with the reason, and
  // nothing left behind, when it cannot.
  bool Start(const TVideoSettings& settings, std::string& error);
  // One frame of Width x Height RGB, top row first, copied and handed to
  // the encoder's own thread, which writes it to ffmpeg while the next frame
  // is drawn; it waits only while the frame before is still waiting. False
  // when ffmpeg no longer takes frames (a write failed); Finish then tells why.
  bool Write(const std::vector<uint8_t>& rgb);
  // Ends the input, waits for ffmpeg to close the file, rewrites a fragmented
  // MP4 as a plain one and renames the result over the video, with the older
  // video's permission bits. False with ffmpeg's own last lines of error
  // output when it failed, the temporary then removed; false when the
  // rewrite failed, the whole fragmented temporary then left and named in
  // the message; false too when the encoder was never started, with no
  // process waited for.
  bool Finish(std::string& error);

private:
  // The writer thread: writes each frame handed to it to Input until Closing.
  void WriteFrames();
  // Ends the writer thread once it has written what it was handed.
  void StopWriter();
  // Rewrites the finished fragmented temporary into a second temporary by
  // stream copy, which then becomes Temporary; false with the reason, the
  // fragmented one then left to the user.
  bool RewriteWhole(std::string& error);

  std::string Program;    // ffmpeg's full name
  std::string Path;       // the video as named, for messages
  std::string Target;     // the file the video becomes, links followed
  std::string Temporary;  // ffmpeg's output while it is ours to remove; "" for none
  int OldMode = -1;       // the permission bits of the video it replaces; -1 for none
  pid_t Child = -1;
  int Input = -1;    // the write end of ffmpeg's standard input
  int Errors = -1;   // ffmpeg's standard error, kept in memory
  std::thread Writer;
  std::mutex Lock;                  // guards the four below
  std::condition_variable Changed;  // any of them changed
  std::vector<uint8_t> Pending;     // the frame handed to the writer, not yet taken
  bool HasPending = false;
  bool Closing = false;             // no more frames come
  bool WriteFailed = false;         // ffmpeg took no more frames
};
