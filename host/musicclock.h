// The music clock: milliseconds of music since the music was started. It is
// the demo's only clock. Positions never go backwards.
//
// TAudioClock plays "data\soundtrack.ogg" through SDL audio and derives its
// position from the audio the device has consumed; when audio or the file is
// unavailable, or the device stops calling back for a second, it goes on
// silently on the wall clock. TWallClock and
// TScriptedClock drive frames without sound (capture, tests).
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
  std::mutex AnchorLock;
  TPlaybackAnchor Anchor;
  int32_t LastPosition = 0;
  uint64_t StartTicks = 0;
  std::unique_ptr<TWallClock> Fallback;
};
