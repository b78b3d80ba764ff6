// One opened movie as the multimedia-stream stand-in plays it: the decoder,
// the stream's clock (running, paused, seeking, all in 100-nanosecond
// units from the host clock), the frame updates of its samples and the
// sound track in a DirectSound buffer. The filter graph, the multimedia
// stream, its video stream and its samples (dshow.cpp) share one of these.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/ddraw.h"
#include "platform/win32/dshow.h"
#include "platform/win32/dsound.h"
#include "platform/win32/movie_decoder_ffmpeg.h"

// The longest sound track played; a longer one is cut there (the whole
// track is decoded into one buffer at open).
constexpr int kMovieMaxSoundSeconds = 300;
constexpr LONG kMovieVolumeSilent = -10000;
constexpr LONG kMovieBalanceMax = 10000;

// Where an update's frame goes: a sample's surface and its rectangle.
struct MovieTarget {
  IDirectDrawSurface7* surface = nullptr;
  RECT rect{};
};

class MoviePlayback {
 public:
  MoviePlayback() = default;
  ~MoviePlayback();
  MoviePlayback(const MoviePlayback&) = delete;
  MoviePlayback& operator=(const MoviePlayback&) = delete;

  // Opens the file (a code page 932 path, read through the file stand-in);
  // with `with_sound` its sound track is made ready to play. S_OK, or
  // VFW_E_UNSUPPORTED_STREAM when it is no movie.
  HRESULT Open(const std::string& path, bool with_sound);
  // Opens bytes held in memory (for tests and the fuzz target).
  HRESULT OpenBytes(std::shared_ptr<const std::vector<uint8_t>> bytes, bool with_sound);
  bool IsOpen() const { return decoder_ != nullptr; }

  // The picture's size: 0 x 0 when there is none to play.
  int Width() const { return width_; }
  int Height() const { return height_; }
  STREAM_TIME TimePerFrame() const;
  STREAM_TIME Duration() const;

  bool Running() const { return running_; }
  void Run();
  void Pause();
  // The stream's time now.
  STREAM_TIME Now();
  // Moves to `time` (negative: 0); the picture goes on from the frame of
  // that time, the sound track from that time.
  void Seek(STREAM_TIME time);

  // Renders the next frame into `target`: S_OK when it is there (without
  // `event` the call waits for its time, at most a quarter of a second),
  // MS_S_PENDING when it comes later
  // (the event is set then), MS_S_ENDOFSTREAM after the last frame's time,
  // MS_E_BUSY while an update is pending, MS_E_NOTRUNNING when paused.
  HRESULT Update(const MovieTarget& target, HANDLE event);
  // Completes a pending update whose frame's time (or the end) has come.
  void Service();
  // Forgets a pending update into `surface` (its sample is going).
  void CancelUpdates(const IDirectDrawSurface7* surface);

  // The sound track's volume and balance (hundredths of a decibel).
  HRESULT SetVolume(LONG volume);
  HRESULT SetBalance(LONG balance);
  LONG Volume() const { return volume_; }
  LONG Balance() const { return balance_; }
  bool HasSound() const { return sound_buffer_ != nullptr; }

 private:
  HRESULT OpenDecoder(const MovieSourceMaker& make_source, bool with_sound);
  // Takes every frame whose time has come and renders the last into
  // `target`.
  void DeliverDueFrames(STREAM_TIME now, const MovieTarget& target);
  STREAM_TIME EndTime() const;
  void OpenSound();
  void WriteSound();
  void StartSound(STREAM_TIME at);
  void StopSound();
  void ReleaseSound();

  std::unique_ptr<MovieDecoder> decoder_;
  int width_ = 0;
  int height_ = 0;

  bool running_ = false;
  STREAM_TIME position_ = 0;   // the stream time when it last ran or stopped
  uint64_t run_start_us_ = 0;  // the host clock then

  bool pending_ = false;
  MovieTarget pending_target_;
  HANDLE pending_event_ = nullptr;

  IDirectSound* sound_ = nullptr;
  IDirectSoundBuffer* sound_buffer_ = nullptr;
  int sound_rate_ = 0;
  std::vector<int16_t> sound_track_;  // as decoded, before volume and balance
  LONG volume_ = 0;
  LONG balance_ = 0;
};
