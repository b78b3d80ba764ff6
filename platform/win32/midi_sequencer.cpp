// The MCI sequencer device: its commands, the piece's rendering into the
// mix and the end notification.
#include "platform/win32/midi_sequencer.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host/host.h"
#include "platform/host/not_emulated.h"
#include "platform/win32/kernel.h"
#include "platform/win32/midi_file_check.h"
#include "platform/win32/midi_synth_fluidsynth.h"
#include "platform/win32/queued_messages.h"
#include "platform/win32/user.h"

namespace {

// A piece larger than this is refused (no real MIDI file comes near it).
constexpr DWORD kMaxMidiFileBytes = DWORD{64} << 20;
// The output rate assumed when no host is installed (tools, fuzzing).
constexpr int kDefaultRate = 44100;

struct SequencerDevice {
  MCIDEVICEID id = 0;
  std::vector<uint8_t> image;  // what the synthesiser plays (MidiFileTracks)
  std::unique_ptr<MidiSynth> synth;
  bool started = false;  // a play has started the piece
  bool playing = false;  // rendered by the mixer
  HWND notify_window = nullptr;
  bool notify_pending = false;
  HWND notified_window = nullptr;  // where the last end notification went
};

struct Notification {
  HWND window;
  MCIDEVICEID device;
};

// The one sequencer. `mutex` guards the device and the notifications found;
// it is taken under the mixer's lock, so a command holds it only for short
// work (never to load, check or delete a piece). `post_mutex` is held while
// found notifications are posted and while a closing device takes its
// posted ones back, so none of a closed device can arrive later.
// `open_mutex` is held by an open and by a close from start to end: the
// sound font, kept from the first open to the end of the process, is lent to
// one device's synthesiser at a time, and that synthesiser is made, tried
// and deleted under it, outside `mutex` (the mixer uses it only while its
// device is open). Order: open_mutex, post_mutex, mutex; the window queues'
// lock is taken under post_mutex only.
struct Sequencer {
  std::mutex open_mutex;
  std::mutex post_mutex;
  std::mutex mutex;
  std::unique_ptr<MidiSoundFont> font;  // under open_mutex
  std::unique_ptr<SequencerDevice> device;
  MCIDEVICEID next_id = 1;
  std::vector<Notification> found;
  std::string last_reported;  // the last "cannot open" line written (under open_mutex)
};

// Lives to the end of the process, as the mixer does.
Sequencer& TheSequencer() {
  static auto* sequencer = new Sequencer;
  return *sequencer;
}

// Writes why the sequencer cannot open, once for each new reason.
void ReportNotInstalled(Sequencer& sequencer, const std::string& reason) {
  if (reason == sequencer.last_reported) return;
  sequencer.last_reported = reason;
  std::fprintf(stderr, "brimal: MIDI music is not played: %s\n", reason.c_str());
}

// What a standard MIDI file starts with.
constexpr char kMidiFileId[4] = {'M', 'T', 'h', 'd'};

// Reads the element through the file stand-in (which maps the runtime's
// path forms). False when it cannot be read. A file that does not start as
// a MIDI file (the game's music, offered here first) or is larger than any
// piece is not read whole: it reads as nothing, which the check refuses.
bool ReadMidiFile(const char* path, std::vector<uint8_t>* bytes) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE || file == nullptr) return false;
  DWORD high = 0;
  const DWORD size = GetFileSize(file, &high);
  bool read = size != INVALID_FILE_SIZE;
  char id[sizeof(kMidiFileId)] = {};
  DWORD got = 0;
  if (read && high == 0 && size >= sizeof(id) && size <= kMaxMidiFileBytes &&
      ReadFile(file, id, sizeof(id), &got, nullptr) && got == sizeof(id) &&
      std::memcmp(id, kMidiFileId, sizeof(id)) == 0) {
    bytes->assign(id, id + sizeof(id));
    bytes->resize(size);
    const DWORD rest = size - static_cast<DWORD>(sizeof(id));
    read = rest == 0 ||
           (ReadFile(file, bytes->data() + sizeof(id), rest, &got, nullptr) && got == rest);
  }
  CloseHandle(file);
  return read;
}

// The open device with id `device`, under the lock; null for any other id.
SequencerDevice* DeviceLocked(Sequencer& sequencer, MCIDEVICEID device) {
  if (sequencer.device == nullptr || sequencer.device->id != device) return nullptr;
  return sequencer.device.get();
}

// Makes sure the kept sound font is the one at `path`, loading it when
// there is none yet or when the font named has changed (BRIMAL_SOUNDFONT).
// Under open_mutex with no device open. False with the reason when it cannot
// be loaded; a font kept before stays.
bool KeepSoundFont(Sequencer& sequencer, const std::string& path, std::string* error) {
  if (sequencer.font != nullptr && sequencer.font->Path() == path) return true;
  std::unique_ptr<MidiSoundFont> loaded = MidiSoundFont::Load(path, error);
  if (loaded == nullptr) return false;
  sequencer.font = std::move(loaded);
  return true;
}

void RequireOnlyFlags(const char* command, DWORD_PTR flags, DWORD_PTR allowed) {
  RequireEmulated((flags & ~allowed) == 0, "mciSendCommandA", command, static_cast<uint64_t>(flags));
}

}  // namespace

MCIERROR MidiSequencerOpen(DWORD_PTR flags, MCI_OPEN_PARMSA* open) {
  // MCI_WAIT changes nothing where a command is done when it returns.
  RequireOnlyFlags("MCI_OPEN flags other than the type and the element are not emulated", flags,
                   MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT);
  RequireEmulated((flags & MCI_OPEN_ELEMENT) != 0 && open->lpstrElementName != nullptr,
                  "mciSendCommandA", "MCI_OPEN of the sequencer without an element",
                  static_cast<uint64_t>(flags));
  Sequencer& sequencer = TheSequencer();
  std::lock_guard<std::mutex> open_lock(sequencer.open_mutex);
  {
    std::lock_guard<std::mutex> lock(sequencer.mutex);
    if (sequencer.device != nullptr) return MCIERR_DEVICE_OPEN;
  }
  std::string missing;
  const std::string sound_font = FindGeneralMidiSoundFont(&missing);
  if (sound_font.empty()) {
    ReportNotInstalled(sequencer, missing);
    return MCIERR_DEVICE_NOT_INSTALLED;
  }
  std::vector<uint8_t> file;
  if (!ReadMidiFile(open->lpstrElementName, &file)) return MCIERR_FILE_NOT_FOUND;
  // Empty where the structural check refuses the file.
  std::vector<uint8_t> image = MidiFileTracks(file.data(), file.size());
  if (image.empty()) return MCIERR_INVALID_FILE;

  std::string error;
  if (!KeepSoundFont(sequencer, sound_font, &error)) {
    ReportNotInstalled(sequencer, error);
    return MCIERR_DEVICE_NOT_INSTALLED;
  }
  auto device = std::make_unique<SequencerDevice>();
  const int rate = HostInstalled() ? CurrentHost().Audio().OutputRate() : kDefaultRate;
  device->synth = MidiSynth::Create(*sequencer.font, rate, &error);
  if (device->synth == nullptr) {
    ReportNotInstalled(sequencer, error);
    return MCIERR_DEVICE_NOT_INSTALLED;
  }
  // The synthesiser's own player loads the piece: a file that passes the
  // structural check but that FluidSynth refuses would otherwise be taken
  // and play as silence.
  device->image = std::move(image);
  if (!device->synth->Takes(device->image)) return MCIERR_INVALID_FILE;
  std::lock_guard<std::mutex> lock(sequencer.mutex);
  device->id = sequencer.next_id++;
  open->wDeviceID = device->id;
  sequencer.device = std::move(device);
  return 0;
}

MCIERROR MidiSequencerStatus(MCIDEVICEID device, DWORD_PTR flags, MCI_STATUS_PARMS* status) {
  Sequencer& sequencer = TheSequencer();
  std::lock_guard<std::mutex> lock(sequencer.mutex);
  if (DeviceLocked(sequencer, device) == nullptr) return MCIERR_INVALID_DEVICE_ID;
  RequireOnlyFlags("MCI_STATUS flags other than the item are not emulated", flags,
                   MCI_STATUS_ITEM | MCI_WAIT);
  RequireEmulated(status != nullptr && (flags & MCI_STATUS_ITEM) != 0 &&
                      status->dwItem == MCI_SEQ_STATUS_PORT,
                  "mciSendCommandA", "only the status item MCI_SEQ_STATUS_PORT is emulated",
                  status != nullptr ? static_cast<uint64_t>(status->dwItem) : uint64_t{0});
  // The piece always goes to the synthesiser, which stands for the mapper.
  status->dwReturn = MCI_SEQ_MAPPER;
  return 0;
}

MCIERROR MidiSequencerPlay(MCIDEVICEID device, DWORD_PTR flags, const MCI_PLAY_PARMS* play) {
  Sequencer& sequencer = TheSequencer();
  std::lock_guard<std::mutex> lock(sequencer.mutex);
  SequencerDevice* open = DeviceLocked(sequencer, device);
  if (open == nullptr) return MCIERR_INVALID_DEVICE_ID;
  RequireOnlyFlags("MCI_PLAY flags other than MCI_NOTIFY and MCI_FROM are not emulated", flags,
                   MCI_NOTIFY | MCI_FROM);
  const bool from = (flags & MCI_FROM) != 0;
  RequireEmulated(!from || (play != nullptr && play->dwFrom == 0), "mciSendCommandA",
                  "MCI_PLAY from a position other than the start is not emulated",
                  play != nullptr ? static_cast<uint64_t>(play->dwFrom) : uint64_t{0});
  if (from || !open->started) {
    // The player refuses only a piece it cannot take at all: as a device
    // that cannot read its file, the play fails.
    if (!open->synth->PlayFromStart(open->image)) return MCIERR_INVALID_FILE;
    open->started = true;
  }
  open->playing = true;
  // A new play replaces an earlier notification request, with no message:
  // the runtime restarts or closes on every notification it gets, whatever
  // its code, so a late one must never reach it.
  open->notify_pending = (flags & MCI_NOTIFY) != 0 && play != nullptr && play->dwCallback != 0;
  open->notify_window = open->notify_pending ? reinterpret_cast<HWND>(play->dwCallback) : nullptr;
  return 0;
}

MCIERROR MidiSequencerStop(MCIDEVICEID device, DWORD_PTR flags) {
  Sequencer& sequencer = TheSequencer();
  std::lock_guard<std::mutex> lock(sequencer.mutex);
  SequencerDevice* open = DeviceLocked(sequencer, device);
  if (open == nullptr) return MCIERR_INVALID_DEVICE_ID;
  RequireOnlyFlags("MCI_STOP with flags other than MCI_WAIT is not emulated", flags, MCI_WAIT);
  open->playing = false;
  open->notify_pending = false;
  open->synth->Silence();
  return 0;
}

MCIERROR MidiSequencerClose(MCIDEVICEID device, DWORD_PTR flags) {
  Sequencer& sequencer = TheSequencer();
  std::lock_guard<std::mutex> open_lock(sequencer.open_mutex);
  std::unique_ptr<SequencerDevice> closed;
  {
    std::lock_guard<std::mutex> post_lock(sequencer.post_mutex);
    {
      std::lock_guard<std::mutex> lock(sequencer.mutex);
      if (DeviceLocked(sequencer, device) == nullptr) return MCIERR_INVALID_DEVICE_ID;
      RequireOnlyFlags("MCI_CLOSE with flags other than MCI_WAIT is not emulated", flags, MCI_WAIT);
      closed = std::move(sequencer.device);
      std::erase_if(sequencer.found,
                    [device](const Notification& found) { return found.device == device; });
    }
    // A notification already posted and not yet taken no longer applies.
    if (closed->notified_window != nullptr) {
      TakeQueuedMessages(closed->notified_window, [device](const MSG& message) {
        return message.message == MM_MCINOTIFY &&
               static_cast<MCIDEVICEID>(message.lParam) == device;
      });
    }
  }
  // The synthesiser and its players go outside the locks the mixer takes
  // (deleting a long piece's player takes milliseconds).
  closed.reset();
  return 0;
}

void MixMidiSequencer(int32_t* sum, int frame_count, int output_rate) {
  (void)output_rate;  // the synthesiser was made at the output's rate
  Sequencer& sequencer = TheSequencer();
  std::lock_guard<std::mutex> lock(sequencer.mutex);
  SequencerDevice* device = sequencer.device.get();
  if (device == nullptr || !device->playing) return;
  device->synth->RenderInto(sum, frame_count);
  if (device->notify_pending && device->synth->Ended()) {
    device->notify_pending = false;
    device->notified_window = device->notify_window;
    sequencer.found.push_back({device->notify_window, device->id});
  }
}

void FinishMidiSequencerMix() {
  Sequencer& sequencer = TheSequencer();
  {
    // Players that plays from the start set aside are deleted here, on the
    // mixer's side and outside the mixer's lock, rather than by the command
    // (a long piece's player takes milliseconds to delete).
    std::lock_guard<std::mutex> lock(sequencer.mutex);
    if (sequencer.device != nullptr) sequencer.device->synth->DeleteSetAsidePlayers();
  }
  std::lock_guard<std::mutex> post_lock(sequencer.post_mutex);
  std::vector<Notification> found;
  {
    std::lock_guard<std::mutex> lock(sequencer.mutex);
    if (sequencer.found.empty()) return;
    found.swap(sequencer.found);
  }
  for (const Notification& notification : found) {
    PostMessageA(notification.window, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL,
                 static_cast<LPARAM>(notification.device));
  }
}

MCIDEVICEID OpenMidiSequencerDevice() {
  Sequencer& sequencer = TheSequencer();
  std::lock_guard<std::mutex> lock(sequencer.mutex);
  return sequencer.device != nullptr ? sequencer.device->id : 0;
}
