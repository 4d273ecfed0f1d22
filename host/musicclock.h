// The music clock: the position in the music, in milliseconds. It is the
// demo's only clock. The music starts at a given position and then plays on;
// the developer may pause it, which holds the position, and seek, which moves
// it anywhere, backwards too. Between a start, a seek or a resume and the next
// of them, positions never go backwards.
//
// TAudioClock plays "data\soundtrack.ogg" through SDL audio and derives its
// position from the audio the device has consumed; when audio or the file is
// unavailable it goes on silently on the wall clock. When the device stops
// calling back for a while (a busy desktop, a sound server restarting), the
// position follows the wall clock until the callbacks come again; the sound
// then resumes where the picture is. TWallClock and TScriptedClock drive
// frames without sound (capture, tests).
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TMusicClock {
public:
  virtual ~TMusicClock() = default;
  // The position is `position` at the moment StartAt returns.
  virtual void StartAt(int32_t position) = 0;
  void Start() { StartAt(0); }
  virtual int32_t Position() = 0;
  // Pause holds the position (and stops the sound) until Resume, which plays
  // on from the held position. Each does nothing when already in its state.
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  virtual bool Paused() const = 0;
  // Moves the position to `position` at once; a paused clock stays paused
  // there. The caller keeps position inside the music.
  virtual void Seek(int32_t position) = 0;
};

// Real time on the monotonic performance counter from the position StartAt
// or the latest Seek or Resume set.
class TWallClock : public TMusicClock {
public:
  void StartAt(int32_t position) override;
  int32_t Position() override;
  void Pause() override;
  void Resume() override;
  bool Paused() const override { return IsPaused; }
  void Seek(int32_t position) override;

private:
  uint64_t StartTicks = 0;
  int32_t Offset = 0;  // the position at StartTicks, or the held one while paused
  bool Started = false;
  bool IsPaused = false;
};

// Answers each poll with the next scripted position; once the script is
// used up, each poll advances one millisecond, so a wait always ends. While
// paused, polls answer the last answer again; a seek drops what is left of
// the script and the next poll answers the new position.
class TScriptedClock : public TMusicClock {
public:
  void StartAt(int32_t position) override { Seek(position); }
  int32_t Position() override;
  void Pause() override { IsPaused = true; }
  void Resume() override { IsPaused = false; }
  bool Paused() const override { return IsPaused; }
  void Seek(int32_t position) override;
  void Script(std::initializer_list<int32_t> positions);
  int Polls = 0;

private:
  std::deque<int32_t> Pending;
  int32_t Last = 0;
  bool IsPaused = false;
};

// Where the played audio stands, from the device callbacks: the number of
// frames handed to the device before the newest callback, its time on the
// performance counter, and the device buffer size. Pure arithmetic, so the
// smoothing can be tested without a device.
struct TPlaybackAnchor {
  uint64_t FramesHanded = 0;   // frames handed before the newest callback
  uint64_t CallbackTicks = 0;  // performance counter at that callback
  uint32_t BufferFrames = 0;   // frames per callback (device latency)
  bool Valid = false;          // at least one callback has run
};

// Frames played by now: the buffer that was playing when the newest callback
// ran started BufferFrames before what it was handed; between callbacks the
// position moves in real time, but never past the frames handed so far.
uint64_t PlayedFrames(const TPlaybackAnchor& anchor, uint64_t nowTicks, uint64_t ticksPerSecond,
                      uint32_t sampleRate);

// The audio clock's bookkeeping apart from the device, in ticks of a counter
// running at ticksPerSecond, so that tests can drive it with a fake audio
// source. The audio thread calls Callback; the main thread calls the rest.
// Between a start, a seek or a resume and the next of them, positions never
// go backwards, and after a stall the clock returns to the audio without a
// jump.
//
// A seek (and a resume, which is a seek to the held position) makes the next
// callback hand from the new position, whatever the source's cursor says. The
// position reads the new one at once and holds it until the sound handed
// from there plays, then follows the audio again: the buffer the device was
// playing when the seek came is not counted.
class TPlaybackTracker {
public:
  // No callback for this long (seconds) counts as a stalled device.
  static constexpr double StallSeconds = 0.25;

  TPlaybackTracker(uint32_t sampleRate, uint64_t ticksPerSecond);
  // The music starts at nowTicks from position 0.
  void Start(uint64_t nowTicks) { Seek(0, nowTicks); }
  // The music plays from `position` (ms) at nowTicks on.
  void Seek(int32_t position, uint64_t nowTicks);
  // Holds the position reached at nowTicks. The owner stops the device's
  // callbacks while paused; no callback counts as a stall then.
  void Pause(uint64_t nowTicks);
  // Plays on from the held position at nowTicks.
  void Resume(uint64_t nowTicks);
  bool Paused() const { return IsPaused; }
  // A device callback at nowTicks asks for frames frames; cursor is the next
  // frame the source would hand. Returns the frame to hand from: the cursor;
  // after a seek the sought frame; after a stall the frame the clock has
  // reached meanwhile, so that the sound skips what the stall missed and
  // meets the picture again.
  uint64_t Callback(uint64_t cursor, uint32_t frames, uint64_t nowTicks);
  // Milliseconds of music at nowTicks.
  int32_t Position(uint64_t nowTicks);
  bool Stalled() const { return IsStalled; }

private:
  const uint32_t SampleRate;
  const uint64_t TicksPerSecond;
  std::mutex Lock;                // guards Anchor, ResumeFrame, SeekFrame and SeekPending
  TPlaybackAnchor Anchor;
  uint64_t ResumeFrame = 0;       // after a stall: hand from no earlier than this; 0: none
  uint64_t SeekFrame = 0;         // after a seek: hand from here instead of the cursor
  bool SeekPending = false;
  // Main thread only:
  uint64_t StartTicks = 0;        // when the music started or was last sought
  int32_t LastPosition = 0;       // also the held position while paused
  bool IsPaused = false;
  bool IsStalled = false;
  uint64_t StallTicks = 0;        // when the stall was noticed
  int32_t StallPosition = 0;      // the position then
};

// Pausing pauses the device; seeking and resuming move the sample cursor the
// next callback hands from (through the tracker), so the sound and the
// position move together. Sound past the end of the file is silence.
class TAudioClock : public TMusicClock {
public:
  explicit TAudioClock(std::string fileName);
  ~TAudioClock() override;
  void StartAt(int32_t position) override;
  int32_t Position() override;
  void Pause() override;
  void Resume() override;
  bool Paused() const override;
  void Seek(int32_t position) override;
  // True once StartAt has fallen back to the silent wall clock.
  bool Silent() const { return Fallback != nullptr; }

private:
  static void Callback(void* self, uint8_t* stream, int length);
  void Fill(uint8_t* stream, int length);
  bool Decode(std::string& error);

  std::string FileName;
  std::vector<int16_t> Samples;  // interleaved
  int Channels = 2;
  int Rate = 44100;
  uint32_t Device = 0;
  size_t Cursor = 0;  // next sample handed to the device; audio thread only
  std::unique_ptr<TPlaybackTracker> Tracker;
  bool ReportedStall = false;
  std::unique_ptr<TWallClock> Fallback;
};
