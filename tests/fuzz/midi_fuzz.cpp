// The MCI sequencer over any bytes named as a MIDI file: the open takes only
// files the structural check takes, refusing the rest as invalid, and may
// refuse one of those too when the synthesiser does not take it (or every
// file is refused when no synthesiser can start); an opened piece is played and mixed for its
// first seconds, started again from its start, stopped and closed.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/dsound.h"
#include "platform/win32/midi_file_check.h"
#include "platform/win32/midi_sequencer.h"
#include "platform/win32/mmsystem.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr int kRate = 44100;
constexpr int kFramesPerPull = 735;
constexpr int kFirstPulls = 180;   // 3 s
constexpr int kAgainPulls = 30;    // 0.5 s after the restart

void Pull(int count) {
  std::vector<int16_t> frames(static_cast<size_t>(kFramesPerPull) * 2);
  for (int i = 0; i < count; ++i) MixSoundBuffers(frames.data(), kFramesPerPull, kRate);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EnterScratchFolder();
  const std::string path = WriteScratchFile("piece.mid", data, size);
  MCI_OPEN_PARMSA open = {};
  open.lpstrDeviceType = "sequencer";
  open.lpstrElementName = path.c_str();
  const MCIERROR opened = mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                                          reinterpret_cast<DWORD_PTR>(&open));
  if (opened == MCIERR_DEVICE_NOT_INSTALLED) return 0;  // no sound font here
  const bool playable = IsPlayableMidiFile(data, size);
  FUZZ_CHECK(opened == 0 || opened == MCIERR_INVALID_FILE);
  FUZZ_CHECK(playable || opened == MCIERR_INVALID_FILE);
  if (opened != 0) return 0;
  const MCIDEVICEID device = open.wDeviceID;
  FUZZ_CHECK(OpenMidiSequencerDevice() == device);

  MCI_STATUS_PARMS status = {};
  status.dwItem = MCI_SEQ_STATUS_PORT;
  FUZZ_CHECK(mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM,
                             reinterpret_cast<DWORD_PTR>(&status)) == 0);
  FUZZ_CHECK(status.dwReturn == MCI_SEQ_MAPPER);
  MCI_PLAY_PARMS play = {};
  FUZZ_CHECK(mciSendCommandA(device, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play)) == 0);
  Pull(kFirstPulls);
  FUZZ_CHECK(mciSendCommandA(device, MCI_PLAY, MCI_NOTIFY | MCI_FROM,
                             reinterpret_cast<DWORD_PTR>(&play)) == 0);
  Pull(kAgainPulls);
  MCI_GENERIC_PARMS generic = {};
  FUZZ_CHECK(mciSendCommandA(device, MCI_STOP, 0, reinterpret_cast<DWORD_PTR>(&generic)) == 0);
  Pull(1);
  FUZZ_CHECK(mciSendCommandA(device, MCI_CLOSE, 0, reinterpret_cast<DWORD_PTR>(&generic)) == 0);
  FUZZ_CHECK(OpenMidiSequencerDevice() == 0);
  return 0;
}
