// The music clock: milliseconds of music since the music was started. It is
// the demo's only clock. Positions never go backwards.
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
  // Position 0 is the moment Start returns.
  virtual void Start() = 0;
  virtual int32_t Position() = 0;
};

// Real time from Start, on the monotonic performance counter.
class TWallClock : public TMusicClock {
public:
  void Start() override { StartAt(0); }
  // Starts counting from the given position instead of 0.
  void StartAt(int32_t position);
  int32_t Position() override;

private:
  uint64_t StartTicks = 0;
  int32_t Offset = 0;
  bool Started = false;
};

// Answers each poll with the next scripted position; once the script is
// used up, each poll advances one millisecond, so a wait always ends.
class TScriptedClock : public TMusicClock {
public:
  void Start() override {}
  int32_t Position() override;
  void Script(std::initializer_list<int32_t> positions);
  int Polls = 0;

private:
  std::deque<int32_t> Pending;
  int32_t Last = 0;
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
// source. The audio thread calls Callback; the main thread calls Position.
// Positions never go backwards, and after a stall the clock returns to the
// audio without a jump.
class TPlaybackTracker {
public:
  // No callback for this long (seconds) counts as a stalled device.
  static constexpr double StallSeconds = 0.25;

  TPlaybackTracker(uint32_t sampleRate, uint64_t ticksPerSecond);
  // The music starts at nowTicks.
  void Start(uint64_t nowTicks);
  // A device callback at nowTicks asks for frames frames; cursor is the next
  // frame the source would hand. Returns the frame to hand from: the cursor,
  // or after a stall the frame the clock has reached meanwhile, so that the
  // sound skips what the stall missed and meets the picture again.
  uint64_t Callback(uint64_t cursor, uint32_t frames, uint64_t nowTicks);
  // Milliseconds of music at nowTicks.
  int32_t Position(uint64_t nowTicks);
  bool Stalled() const { return IsStalled; }

private:
  const uint32_t SampleRate;
  const uint64_t TicksPerSecond;
  std::mutex Lock;                // guards Anchor and ResumeFrame
  TPlaybackAnchor Anchor;
  uint64_t ResumeFrame = 0;       // where the next callback hands from, 0: the cursor
  // Main thread only:
  uint64_t StartTicks = 0;
  int32_t LastPosition = 0;
  bool IsStalled = false;
  uint64_t StallTicks = 0;        // when the stall was noticed
  int32_t StallPosition = 0;      // the position then
};

class TAudioClock : public TMusicClock {
public:
  explicit TAudioClock(std::string fileName);
  ~TAudioClock() override;
  void Start() override;
  int32_t Position() override;
  // True once Start has fallen back to the silent wall clock.
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
  size_t Cursor = 0;  // next sample handed to the device
  std::unique_ptr<TPlaybackTracker> Tracker;
  bool ReportedStall = false;
  std::unique_ptr<TWallClock> Fallback;
};
