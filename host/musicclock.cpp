#include "host/musicclock.h"

#include "engine/filesystem.h"
#include "engine/paths.h"

#include <SDL.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

void TWallClock::StartAt(int32_t position)
{
  StartTicks = SDL_GetPerformanceCounter();
  Offset = position;
  Started = true;
  IsPaused = false;
}

int32_t TWallClock::Position()
{
  if (!Started)
    return 0;
  if (IsPaused)
    return Offset;
  const uint64_t ticks = SDL_GetPerformanceCounter() - StartTicks;
  return Offset + static_cast<int32_t>(ticks * 1000 / SDL_GetPerformanceFrequency());
}

void TWallClock::Pause()
{
  if (IsPaused)
    return;
  Offset = Position();
  IsPaused = true;
}

void TWallClock::Resume()
{
  if (!IsPaused)
    return;
  StartTicks = SDL_GetPerformanceCounter();
  IsPaused = false;
}

void TWallClock::Seek(int32_t position)
{
  StartTicks = SDL_GetPerformanceCounter();
  Offset = position;
}

int32_t TScriptedClock::Position()
{
  ++Polls;
  if (IsPaused)
    return Last;
  if (!Pending.empty()) {
    Last = Pending.front();
    Pending.pop_front();
  } else {
    Last += 1;
  }
  return Last;
}

void TScriptedClock::Script(std::initializer_list<int32_t> positions)
{
  Pending.assign(positions.begin(), positions.end());
}

void TScriptedClock::Seek(int32_t position)
{
  Pending.assign({position});
  if (IsPaused)
    Last = position;
}

uint64_t PlayedFrames(const TPlaybackAnchor& anchor, uint64_t nowTicks, uint64_t ticksPerSecond,
                      uint32_t sampleRate)
{
  if (!anchor.Valid || ticksPerSecond == 0)
    return 0;
  const uint64_t sinceCallback = nowTicks > anchor.CallbackTicks ? nowTicks - anchor.CallbackTicks : 0;
  const uint64_t moved = sinceCallback * sampleRate / ticksPerSecond;
  const uint64_t start =
      anchor.FramesHanded > anchor.BufferFrames ? anchor.FramesHanded - anchor.BufferFrames : 0;
  // The frames of the buffer handed at the newest callback have not started
  // to play yet, so the position stops at FramesHanded until the next one.
  return std::min(start + moved, anchor.FramesHanded);
}

TPlaybackTracker::TPlaybackTracker(uint32_t sampleRate, uint64_t ticksPerSecond)
    : SampleRate(sampleRate), TicksPerSecond(ticksPerSecond)
{
}

void TPlaybackTracker::Seek(int32_t position, uint64_t nowTicks)
{
  {
    std::lock_guard<std::mutex> guard(Lock);
    // What the device plays until the next callback is from before the seek.
    Anchor = TPlaybackAnchor{};
    SeekFrame = static_cast<uint64_t>(std::max(position, 0)) * SampleRate / 1000;
    SeekPending = true;
    ResumeFrame = 0;
  }
  StartTicks = nowTicks;
  LastPosition = position;
  IsStalled = false;
}

void TPlaybackTracker::Pause(uint64_t nowTicks)
{
  if (IsPaused)
    return;
  LastPosition = Position(nowTicks);
  IsPaused = true;
}

void TPlaybackTracker::Resume(uint64_t nowTicks)
{
  if (!IsPaused)
    return;
  IsPaused = false;
  Seek(LastPosition, nowTicks);
}

uint64_t TPlaybackTracker::Callback(uint64_t cursor, uint32_t frames, uint64_t nowTicks)
{
  std::lock_guard<std::mutex> guard(Lock);
  const uint64_t from = std::max(SeekPending ? SeekFrame : cursor, ResumeFrame);
  SeekPending = false;
  ResumeFrame = 0;
  Anchor.FramesHanded = from;
  Anchor.CallbackTicks = nowTicks;
  Anchor.BufferFrames = frames;
  Anchor.Valid = true;
  return from;
}

int32_t TPlaybackTracker::Position(uint64_t nowTicks)
{
  if (IsPaused)
    return LastPosition;
  TPlaybackAnchor anchor;
  {
    std::lock_guard<std::mutex> guard(Lock);
    anchor = Anchor;
  }
  const uint64_t lastSign = anchor.Valid ? anchor.CallbackTicks : StartTicks;
  const uint64_t stallTicks = static_cast<uint64_t>(StallSeconds * TicksPerSecond);
  if (IsStalled && anchor.Valid && anchor.CallbackTicks > StallTicks)
    IsStalled = false;  // callbacks are back, handing from the clock's position
  else if (!IsStalled && nowTicks > lastSign + stallTicks) {
    IsStalled = true;
    StallTicks = nowTicks;
    StallPosition = LastPosition;
  }

  if (IsStalled) {
    const uint64_t since = nowTicks - StallTicks;
    LastPosition = StallPosition + static_cast<int32_t>(since * 1000 / TicksPerSecond);
    // The next callback hands from here; the ones before the device stalled
    // are played by now.
    std::lock_guard<std::mutex> guard(Lock);
    ResumeFrame = static_cast<uint64_t>(LastPosition) * SampleRate / 1000;
    return LastPosition;
  }
  const uint64_t frames = PlayedFrames(anchor, nowTicks, TicksPerSecond, SampleRate);
  const int32_t position = static_cast<int32_t>(frames * 1000 / SampleRate);
  LastPosition = std::max(LastPosition, position);
  return LastPosition;
}

TAudioClock::TAudioClock(std::string fileName) : FileName(std::move(fileName)) {}

TAudioClock::~TAudioClock()
{
  if (Device != 0)
    SDL_CloseAudioDevice(Device);
}

bool TAudioClock::Decode(std::string& error)
{
  const std::string path = ResolvePath(FileName);
  FILE* stream = OpenFile(path, "rb");
  if (!stream) {
    error = "cannot be opened or read";
    return false;
  }
  // On success the file belongs to the decoder, which closes it in ov_clear.
  OggVorbis_File file;
  const int opened = ov_open_callbacks(stream, &file, nullptr, 0, OV_CALLBACKS_DEFAULT);
  if (opened != 0) {
    std::fclose(stream);
    error = opened == OV_ENOTVORBIS ? "not an Ogg Vorbis file" : "cannot be opened or read";
    return false;
  }
  const vorbis_info* info = ov_info(&file, -1);
  if (!info || info->channels < 1 || info->channels > 8 || info->rate < 8000 ||
      info->rate > 192000) {
    ov_clear(&file);
    error = "unsupported channel count or sample rate";
    return false;
  }
  Channels = info->channels;
  Rate = static_cast<int>(info->rate);
  Samples.clear();
  char buffer[16384];
  int section = 0;
  for (;;) {
    const long got = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section);
    if (got == 0)
      break;
    if (got < 0) {
      if (got == OV_HOLE)
        continue;
      ov_clear(&file);
      error = "the stream is corrupt";
      return false;
    }
    const size_t old = Samples.size();
    Samples.resize(old + static_cast<size_t>(got) / 2);
    std::memcpy(Samples.data() + old, buffer, static_cast<size_t>(got) / 2 * 2);
  }
  ov_clear(&file);
  return true;
}

void TAudioClock::Callback(void* self, uint8_t* stream, int length)
{
  static_cast<TAudioClock*>(self)->Fill(stream, length);
}

void TAudioClock::Fill(uint8_t* stream, int length)
{
  const size_t wanted = static_cast<size_t>(length) / sizeof(int16_t);
  const size_t channels = static_cast<size_t>(Channels);
  const uint64_t from = Tracker->Callback(Cursor / channels, static_cast<uint32_t>(wanted / channels),
                                          SDL_GetPerformanceCounter());
  Cursor = static_cast<size_t>(from) * channels;
  const size_t available = Cursor < Samples.size() ? Samples.size() - Cursor : 0;
  const size_t copied = std::min(wanted, available);
  if (copied > 0)
    std::memcpy(stream, Samples.data() + Cursor, copied * sizeof(int16_t));
  std::memset(stream + copied * sizeof(int16_t), 0, (wanted - copied) * sizeof(int16_t));
  Cursor += wanted;
}

void TAudioClock::StartAt(int32_t position)
{
  std::string error;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    error = std::string("audio unavailable: ") + SDL_GetError();
  } else if (Decode(error)) {
    Tracker = std::make_unique<TPlaybackTracker>(static_cast<uint32_t>(Rate),
                                                 SDL_GetPerformanceFrequency());
    SDL_AudioSpec want = {};
    want.freq = Rate;
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(Channels);
    want.samples = 1024;
    want.callback = &TAudioClock::Callback;
    want.userdata = this;
    SDL_AudioSpec have = {};
    Device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (Device == 0)
      error = std::string("audio device unavailable: ") + SDL_GetError();
  } else {
    error = FileName + ": " + error;
  }

  if (Device == 0) {
    std::fprintf(stderr, "%s; playing silently on the wall clock\n", error.c_str());
    Fallback = std::make_unique<TWallClock>();
    Fallback->StartAt(position);
    return;
  }
  Tracker->Seek(position, SDL_GetPerformanceCounter());
  SDL_PauseAudioDevice(Device, 0);
}

void TAudioClock::Pause()
{
  if (Fallback) {
    Fallback->Pause();
  } else if (Device != 0 && !Tracker->Paused()) {
    // Once this returns no callback runs until the device is unpaused.
    SDL_PauseAudioDevice(Device, 1);
    Tracker->Pause(SDL_GetPerformanceCounter());
  }
}

void TAudioClock::Resume()
{
  if (Fallback) {
    Fallback->Resume();
  } else if (Device != 0 && Tracker->Paused()) {
    Tracker->Resume(SDL_GetPerformanceCounter());
    SDL_PauseAudioDevice(Device, 0);
  }
}

bool TAudioClock::Paused() const
{
  if (Fallback)
    return Fallback->Paused();
  return Device != 0 && Tracker->Paused();
}

void TAudioClock::Seek(int32_t position)
{
  if (Fallback)
    Fallback->Seek(position);
  else if (Device != 0)
    Tracker->Seek(position, SDL_GetPerformanceCounter());
}

int32_t TAudioClock::Position()
{
  if (Fallback)
    return Fallback->Position();
  const int32_t position = Tracker->Position(SDL_GetPerformanceCounter());
  if (Tracker->Stalled() != ReportedStall) {
    ReportedStall = Tracker->Stalled();
    std::fprintf(stderr,
                 ReportedStall ? "the audio device stalled at %d ms; following the wall clock\n"
                               : "the audio device resumed at %d ms\n",
                 position);
  }
  return position;
}
