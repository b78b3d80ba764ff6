// make_fuzz_seeds: lays out the seed corpus of every fuzz target, made from
// the generated sample data set and from small files made here with the
// writers the decoder tests use.
//
//   make_fuzz_seeds FOLDER
//
// FOLDER/sample-data receives the sample data set; FOLDER/<target>/ the
// seeds of each target (the target's name without "fuzz_"). Of each kind of
// sample file only the smallest few (of at most 64 KB) are taken, so a fuzzer
// starts from small inputs.
#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "game/shell/shell.h"
#include "platform/win32/movie_maker_ffmpeg.h"
#include "tests/platform/midi_test_support.h"
#include "tests/runtime/image/image_file_writers.h"
#include "tools/archive_writer/archive_writer.h"
#include "tools/sample_data/encoders.h"
#include "tools/sample_data/sample_data.h"

namespace fs = std::filesystem;
using image_files::Bytes;
using image_files::Picture;

namespace {

// Sample files of one kind taken as seeds, and the largest taken.
constexpr size_t kSamplesPerKind = 8;
constexpr uintmax_t kMaxSampleBytes = 64 * 1024;

fs::path out_folder;

void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
  const fs::path folder = out_folder / target;
  fs::create_directories(folder);
  std::ofstream out(folder / name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void Write(const std::string& target, const std::string& name, const std::string& text) {
  Write(target, name, Bytes(text.begin(), text.end()));
}

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The smallest sample files with this extension, smallest first.
std::vector<fs::path> SmallestSamples(const fs::path& sample, const std::string& extension,
                                      size_t count) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(sample)) {
    if (entry.is_regular_file() && entry.path().extension() == extension &&
        entry.file_size() <= kMaxSampleBytes) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
    const auto sa = fs::file_size(a), sb = fs::file_size(b);
    return sa != sb ? sa < sb : a < b;
  });
  if (files.size() > count) files.resize(count);
  return files;
}

void CopySamples(const fs::path& sample, const std::string& extension, size_t count,
                 const std::vector<std::string>& targets) {
  for (const fs::path& file : SmallestSamples(sample, extension, count)) {
    for (const std::string& target : targets) {
      Write(target, "sample_" + file.filename().string(), ReadFile(file));
    }
  }
}

// A picture of `colours` colours, for the palette formats.
Picture FewColours(int32_t width, int32_t height, uint32_t colours) {
  Picture p{width, height, {}};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t k = static_cast<uint32_t>(x / 2 + y) % colours;
      p.argb.push_back(image_files::Argb(255, k * 37 & 0xFF, k * 91 & 0xFF, 255 - k * 13));
    }
  }
  return p;
}

void WriteImageSeeds() {
  using namespace image_files;
  const Picture colour = MakePicture(7, 5);
  const Picture alpha = MakePicture(7, 5, true);
  const Picture two = FewColours(9, 3, 2);
  const Picture sixteen = FewColours(11, 4, 16);
  struct Seed {
    const char* target;
    const char* name;
    Bytes bytes;
  };
  const std::vector<Seed> seeds = {
      {"image_bmp", "bmp1.bmp", MakeBmp(two, BmpSpec{.bits = 1})},
      {"image_bmp", "bmp4.bmp", MakeBmp(sixteen, BmpSpec{.bits = 4})},
      {"image_bmp", "bmp8_top_down.bmp", MakeBmp(colour, BmpSpec{.bits = 8, .top_down = true})},
      {"image_bmp", "bmp_rle8.bmp", MakeBmp(sixteen, BmpSpec{.bits = 8, .compression = 1})},
      {"image_bmp", "bmp_rle4.bmp", MakeBmp(sixteen, BmpSpec{.bits = 4, .compression = 2})},
      {"image_bmp", "bmp16_fields.bmp",
       MakeBmp(colour, BmpSpec{.bits = 16, .compression = 3, .masks = {0xF800, 0x7E0, 0x1F}})},
      {"image_bmp", "bmp24.bmp", MakeBmp(colour, BmpSpec{.bits = 24})},
      {"image_bmp", "bmp32_v5_header.bmp", MakeBmp(colour, BmpSpec{.bits = 32, .header_size = 124})},
      {"image_tga", "tga_mapped.tga", MakeTga(sixteen, TgaSpec{.type = 1, .depth = 24, .id_length = 3})},
      {"image_tga", "tga16.tga", MakeTga(colour, TgaSpec{.type = 2, .depth = 16, .descriptor = 0x30})},
      {"image_tga", "tga32_footer.tga",
       MakeTga(alpha, TgaSpec{.type = 2, .depth = 32, .descriptor = 0x08, .footer = true})},
      {"image_tga", "tga_rle_mapped.tga", MakeTga(sixteen, TgaSpec{.type = 9, .depth = 24})},
      {"image_tga", "tga_rle24.tga", MakeTga(colour, TgaSpec{.type = 10, .depth = 24, .descriptor = 0})},
      {"image_dds", "dds_x8r8g8b8.dds", MakeDds(colour, DdsSpec{})},
      {"image_dds", "dds_a8r8g8b8.dds",
       MakeDds(alpha, DdsSpec{.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, .format_flags = 0x41})},
      {"image_dds", "dds_r5g6b5_pitch.dds",
       MakeDds(colour, DdsSpec{.bits = 16, .masks = {0xF800, 0x7E0, 0x1F, 0}, .pitch = 16})},
      {"image_dds", "dds_code_23.dds",
       MakeDds(colour,
               DdsSpec{.bits = 16, .masks = {0xF800, 0x7E0, 0x1F, 0}, .format_flags = 0x4, .four_cc = 23})},
      {"image_bgra", "bgra8.bgra", MakeBgra(alpha, 8)},
      {"image_bgra", "bgra16.bgra", MakeBgra(alpha, 16)},
      {"image_png", "rgb.png", MakePng(colour, PngSpec{})},
      {"image_png", "rgba16.png", MakePng(alpha, PngSpec{.color_type = PNG_COLOR_TYPE_RGBA, .bit_depth = 16})},
      {"image_png", "palette_trns.png",
       MakePng(sixteen, PngSpec{.color_type = PNG_COLOR_TYPE_PALETTE, .transparency = true})},
      {"image_png", "gray.png", MakePng(colour, PngSpec{.color_type = PNG_COLOR_TYPE_GRAY})},
      {"image_png", "gray_alpha.png", MakePng(alpha, PngSpec{.color_type = PNG_COLOR_TYPE_GRAY_ALPHA})},
      {"image_png", "interlaced.png", MakePng(MakePicture(11, 9), PngSpec{.interlaced = true})},
      {"image_jpeg", "colour.jpg", MakeJpeg(MakePicture(17, 9), 3, 90)},
      {"image_jpeg", "grey.jpg", MakeJpeg(MakePicture(8, 8), 1, 75)},
  };
  for (const Seed& seed : seeds) {
    Write(seed.target, seed.name, seed.bytes);
    Write("image_chain", seed.name, seed.bytes);
  }
}

std::vector<int16_t> Tone(int frames, int channels, int rate) {
  std::vector<int16_t> samples;
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      samples.push_back(static_cast<int16_t>(
          8000.0 * std::sin(2.0 * 3.14159265358979 * (440.0 + 110.0 * c) * i / rate)));
    }
  }
  return samples;
}

Bytes EncodeMp3(const std::vector<int16_t>& samples, int channels, int rate) {
  lame_global_flags* flags = lame_init();
  lame_set_num_channels(flags, channels);
  lame_set_in_samplerate(flags, rate);
  lame_set_out_samplerate(flags, rate);
  lame_set_brate(flags, 32);
  lame_set_mode(flags, channels == 1 ? MONO : JOINT_STEREO);
  lame_set_bWriteVbrTag(flags, 0);
  lame_init_params(flags);
  const int frames = static_cast<int>(samples.size()) / channels;
  Bytes out(static_cast<size_t>(frames) * 5 / 4 + 7200 * 2);
  std::vector<int16_t> copy = samples;
  int written = channels == 1
                    ? lame_encode_buffer(flags, copy.data(), copy.data(), frames, out.data(),
                                         static_cast<int>(out.size()))
                    : lame_encode_buffer_interleaved(flags, copy.data(), frames, out.data(),
                                                     static_cast<int>(out.size()));
  written = std::max(written, 0);
  written += std::max(lame_encode_flush(flags, out.data() + written,
                                        static_cast<int>(out.size()) - written),
                      0);
  lame_close(flags);
  out.resize(static_cast<size_t>(written));
  return out;
}

// A RIFF WAVE file around MPEG layer 3 data, for the compression manager.
Bytes Mp3InWav(const Bytes& mp3, int channels, int rate) {
  using image_files::Put16;
  using image_files::Put32;
  Bytes format;
  Put16(format, 0x55);
  Put16(format, static_cast<uint32_t>(channels));
  Put32(format, static_cast<uint32_t>(rate));
  Put32(format, 4000);
  Put16(format, 1);
  Put16(format, 0);
  Put16(format, 12);
  Put16(format, 1);
  Put32(format, 2);
  Put16(format, 104);
  Put16(format, 1);
  Put16(format, 1393);
  Bytes out = {'R', 'I', 'F', 'F'};
  Put32(out, static_cast<uint32_t>(4 + 8 + format.size() + 8 + mp3.size()));
  for (const char c : std::string("WAVEfmt ")) out.push_back(static_cast<uint8_t>(c));
  Put32(out, static_cast<uint32_t>(format.size()));
  out.insert(out.end(), format.begin(), format.end());
  for (const char c : std::string("data")) out.push_back(static_cast<uint8_t>(c));
  Put32(out, static_cast<uint32_t>(mp3.size()));
  out.insert(out.end(), mp3.begin(), mp3.end());
  return out;
}

void WriteSoundSeeds() {
  const std::vector<int16_t> mono = Tone(2205, 1, 22050);
  const std::vector<int16_t> stereo = Tone(1102, 2, 11025);
  Write("wave", "pcm_mono16.wav", EncodeWav(mono, 22050, 1));
  std::string error;
  Write("wave", "ogg_mono.ogg", EncodeOggVorbis(mono, 22050, 1, 7, 0.1f, &error));
  Write("wave", "ogg_stereo.ogg", EncodeOggVorbis(stereo, 11025, 2, 8, 0.1f, &error));
  const Bytes mp3 = EncodeMp3(mono, 1, 22050);
  Write("wave", "mono.mp3", mp3);
  Write("wave", "mpeg_in_wav.wav", Mp3InWav(mp3, 1, 22050));
  Write("wave", "stereo.mp3", EncodeMp3(stereo, 2, 11025));
}

void WriteArchiveSeeds(const fs::path& sample) {
  std::vector<ArchiveWriterFile> files;
  auto add = [&files](const std::string& path, const Bytes& data, bool pack) {
    ArchiveWriterFile file;
    file.path = path;
    file.data = data;
    file.pack = pack;
    file.last_write_time = 0x01C0000000000000ull;
    files.push_back(file);
  };
  add("config_data.dat", ReadFile(sample / "config_data.dat"), true);
  add("pad.dat", ReadFile(sample / "pad.dat"), false);
  const std::vector<fs::path> pictures = SmallestSamples(sample / "data", ".png", 3);
  for (size_t i = 0; i < pictures.size(); ++i) {
    add("img/title/" + pictures[i].filename().string(), ReadFile(pictures[i]), i % 2 == 0);
  }
  // A two-byte name: "表" in Shift-JIS, whose trail byte is a backslash.
  add("img/\x95\x5C/a.txt", Bytes(40, 'a'), true);
  ArchiveWriterFile empty_folder;
  empty_folder.path = "empty";
  empty_folder.folder = true;
  files.push_back(empty_folder);

  struct Variant {
    const char* name;
    int version;
    bool key;
    bool fallback;
  };
  for (const Variant& v : {Variant{"v3_packed.dat", 3, true, false},
                           Variant{"v1_stored.dat", 1, true, false},
                           Variant{"v2_fallback_key.dat", 2, true, true},
                           Variant{"v3_no_key.dat", 3, false, false}}) {
    ArchiveWriterOptions options;
    options.version = v.version;
    if (v.key) options.key = "quietmarble";
    options.fallback_key = v.fallback;
    Bytes archive;
    std::string error;
    if (!BuildArchive(files, options, &archive, &error)) {
      std::fprintf(stderr, "make_fuzz_seeds: %s\n", error.c_str());
      std::exit(1);
    }
    Write("archive", v.name, archive);
  }
}

void WriteTextSeeds(const fs::path& sample) {
  for (const char* name : {"config_data.dat", "pad.dat"}) {
    const Bytes bytes = ReadFile(sample / name);
    Write("settings", name, bytes);
    Write("line", name, bytes);
  }
  // Shift-JIS lines: "表示" (a trail byte 0x5C), a half-width kana, a line
  // without its end.
  Write("line", "sjis.txt", std::string("\x95\x5C\x8E\xA6\r\nabc\xB1\r\n\r\n\x82\xA0\x82\xA2"));
  Write("line", "long_line.txt", std::string(600, 'x') + "\r\n" + std::string(300, '\x81') + "\n");
}

// Slot files as the game writes them: the memory image of save_data.
void WriteSaveSeeds() {
  auto slot_bytes = [](const save_data& slot) {
    const auto* at = reinterpret_cast<const uint8_t*>(&slot);
    return Bytes(at, at + sizeof(slot));
  };
  Write("save_slots", "empty.dat", slot_bytes(save_data{}));
  save_data one{};
  one.used = 1;
  one.player_count = 1;
  one.revive_stock = 3;
  one.players[0].alive = 1;
  one.players[0].level = 1;
  one.players[0].hp = 20;
  one.players[0].hp_max = 20;
  one.players[0].agility_base = 0x3FC00000;  // 1.5f
  Write("save_slots", "one_player.dat", slot_bytes(one));
  save_data four = one;
  four.player_count = 4;
  four.present_map_number = 2;
  four.present_map_floor = 1;
  for (int p = 0; p < 4; ++p) {
    four.players[p] = one.players[0];
    four.players[p].character = p;
    four.players[p].level = 5 + p;
    four.players[p].spell1_stock = p;
  }
  four.progress_flags[1] = 1;
  four.item_present[0][0] = 1;
  four.boss_active[0] = 1;
  Write("save_slots", "four_players.dat", slot_bytes(four));
}

// Small standard MIDI files: a format 0 piece of three piano notes, and a
// format 1 piece (a tempo track, then two channels' notes with running
// status and a pitch bend).
void WriteMidiSeeds() {
  Write("midi", "three_notes.mid", PianoPiece(ThreeNotes(), kThreeNotesEnd));
  MidiBytes tempo = TempoTrackBody(kTestTempo);
  PutEndOfTrack(&tempo);
  MidiBytes notes = {0x00, 0xC1, 0x30, 0x00, 0x91, 0x3C, 0x50, 0x00, 0x40, 0x50,
                     0x81, 0x70, 0x3C, 0x00, 0x00, 0x40, 0x00, 0x00, 0xE1, 0x00, 0x50};
  PutEndOfTrack(&notes, 0x60);
  MidiBytes file = MidiHeader(1, 2);
  for (const MidiBytes& body : {tempo, notes}) {
    const MidiBytes track = MidiChunk("MTrk", body);
    file.insert(file.end(), track.begin(), track.end());
  }
  Write("midi", "two_tracks.mid", file);
}

// Two tiny movies made with FFmpeg's encoders: MPEG-1 with layer II sound in
// a program stream, Motion JPEG with PCM sound in AVI; three 32 x 24 frames
// and a short tone each.
void WriteMovieSeeds() {
  const struct {
    TestMovieKind kind;
    const char* name;
  } kMovies[] = {{TestMovieKind::kMpegProgram, "three_frames.mpg"},
                 {TestMovieKind::kMjpegAvi, "three_frames.avi"}};
  for (const auto& movie : kMovies) {
    TestMovieSpec spec;
    spec.kind = movie.kind;
    spec.width = 32;
    spec.height = 24;
    spec.frame_colours = {0xC02020, 0x20C020, 0x2020C0};
    spec.sound_rate = 32000;
    std::vector<uint8_t> bytes;
    if (!MakeTestMovie(spec, &bytes)) {
      std::fprintf(stderr, "make_fuzz_seeds: the movie %s could not be made\n", movie.name);
      continue;
    }
    Write("movie", movie.name, bytes);
  }
}

// Level files of the sample set, each after a first line naming the file it
// stands for: every file of the house, of dansion01's boss floor, of the
// floors with a patch map or moving blocks (field02 1, dansion09 0) and of
// the keyboard boss's floor (dansion07 9), every boss file and patch map.
void WriteLevelSeeds() {
  const char* const kFloorEnds[] = {"pelune_house.csv", "dansion015.csv", "field021.csv",
                                    "dansion090.csv", "dansion079.csv"};
  for (const auto& [path, text] : SampleLevelFiles()) {
    bool taken = path.find("boss_data_") != std::string::npos || path.rfind("patch/", 0) == 0;
    for (const char* end : kFloorEnds) {
      const std::string tail(end);
      taken = taken || (path.size() >= tail.size() &&
                        path.compare(path.size() - tail.size(), tail.size(), tail) == 0);
    }
    if (taken) Write("level", fs::path(path).filename().string(), path + "\n" + text);
  }
}

// Command lines as the tests and the run command give them (arguments ended
// by NULs), and key scripts of the whole-program tests' kind.
void WriteCommandLineSeeds() {
  auto arguments = [](std::initializer_list<const char*> list) {
    std::string bytes;
    for (const char* argument : list) bytes += std::string(argument) + '\0';
    return bytes;
  };
  Write("options", "null_run.args",
        arguments({"--host=null", "--data=set", "--input=keys.txt", "--frame-hashes=h.txt",
                   "--save-frames=frames", "--frame-list=1,99,280", "--clock-start=1000"}));
  Write("options", "sdl_run.args", arguments({"--host=sdl", "--frames=600", "--data=sample-data"}));
  Write("options", "recording.args",
        arguments({"--host=null", "--audio-out=a.wav", "--desktop-depth=16", "--answer=yes"}));
  Write("options", "help.args", arguments({"--help"}));
  Write("options", "full_screen.args", arguments({"--fullscreen", "--answer=yes", "--window"}));
  // Empty paths, which once ended the program with an uncaught exception.
  Write("options", "empty_paths.args",
        arguments({"--host=null", "--input=", "--frame-hashes=", "--save-frames=", "--audio-out="}));
  Write("input_script", "new_game.txt",
        std::string("# a new game\n100 key=208\n104 key=\n130 key=200\n134 key=\n"
                    "160 key=44,205\n164 key=\n280 key=1\n"));
  Write("input_script", "pads.txt",
        std::string("0 pad1=0x10 pad2=3\r\n60 pad1=0 key=44\t pad4=FFFFFFFF\n\n30 pad3=0X8\n"));
}

// A peer's bytes on a network handle (flags, piece size, eight operations,
// then the bytes) and HTTP answers (flags, split, then the answer).
void WriteNetworkSeeds() {
  // An operation byte: its kind (0 recv, 1 peek, 2 data length, 3 line,
  // 4 accept state, 5 send) and the index of the size it asks for.
  auto op = [](int kind, int size_index) {
    for (int b = 0; b < 256; ++b) {
      if (b % 6 == kind && (b >> 3) % 8 == size_index) return static_cast<char>(b);
    }
    return '\0';
  };
  auto packet = [](const std::string& body) {
    const uint32_t n = static_cast<uint32_t>(body.size());
    std::string word(4, '\0');
    for (int i = 0; i < 4; ++i) word[i] = static_cast<char>(n >> (8 * i));
    return word + body;
  };
  // The flags byte (1 buffered, 2 in pieces, 4 reset) and the piece size.
  auto head = [](int flags, int piece) {
    return std::string{static_cast<char>(flags), static_cast<char>(piece)};
  };
  const std::string script = {op(2, 0), op(0, 3), op(1, 4), op(0, 5),
                              op(3, 6), op(4, 0), op(5, 0), op(0, 1)};
  const std::string lines_script = {op(3, 0), op(1, 5), op(3, 0), op(2, 0),
                                    op(0, 2), op(3, 0), op(4, 0), op(0, 7)};
  const std::string packets = packet("hello") + packet("") + packet(std::string(300, 'w')) +
                              packet("line\n") + packet("partial").substr(0, 8);
  const std::string text = "GET / HTTP/1.0\r\nHost: x\n" + std::string(300, 'l') + "\nend";
  Write("net", "buffered.bin", head(0x01, 0x00) + script + packets);
  Write("net", "buffered_bytewise.bin", head(0x03, 0x00) + script + packets);
  Write("net", "buffered_pieces_reset.bin", head(0x07, 0x05) + script + packets);
  Write("net", "unbuffered.bin", head(0x00, 0x00) + lines_script + text);
  Write("net", "unbuffered_pieces.bin", head(0x02, 0x07) + lines_script + text);
  Write("net", "unbuffered_reset.bin", head(0x04, 0x00) + script + text);

  // Flags: method (0 GET, 1 POST, 2 HEAD) + 3 for a file + 6 for a reset.
  auto http = [](int flags, int split, const std::string& answer) {
    return std::string(1, static_cast<char>(flags)) + static_cast<char>(split) + answer;
  };
  const std::string ok = "HTTP/1.0 200 OK\r\n";
  Write("http", "get_memory.txt", http(0, 0, ok + "Content-Length: 5\r\n\r\nhello"));
  Write("http", "get_memory_split.txt", http(0, 128, ok + "Content-Length: 11\r\n\r\nhello world"));
  Write("http", "get_file_no_length.txt",
        http(3, 0, ok + "Server: x\r\n\r\n" + std::string(5000, 'b')));
  Write("http", "post_memory_bare_lf.txt",
        http(1, 0, "HTTP/1.0 200 OK\nContent-Length: 4\n\nbody"));
  Write("http", "post_file_split.txt", http(4, 77, ok + "X-A: 1\r\n\r\n" + std::string(600, 'p')));
  Write("http", "head.txt", http(2, 0, "HTTP/1.0 200 OK\nServer: x\nContent-Length: 1234\n\n"));
  Write("http", "not_found.txt", http(0, 0, "HTTP/1.0 404 Not Found\r\n\r\n"));
  Write("http", "long_header_reset.txt",
        http(6, 200, ok + "X-Cookie: " + std::string(600, 'c') + "\r\nContent-Length: 2\r\n\r\nok"));
  Write("http", "cut_status.txt", http(0, 0, "HTTP/1.0 200 O"));
  Write("http", "head_cut_header.txt", http(2, 0, ok + "Content-Len"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
    return 2;
  }
  out_folder = argv[1];
  const fs::path sample = out_folder / "sample-data";
  std::string error;
  if (!GenerateSampleData(sample.string(), SampleDataOptions{}, &error)) {
    std::fprintf(stderr, "make_fuzz_seeds: %s\n", error.c_str());
    return 1;
  }
  CopySamples(sample / "data", ".png", kSamplesPerKind, {"image_chain", "image_png"});
  CopySamples(sample / "data", ".bmp", kSamplesPerKind, {"image_chain", "image_bmp"});
  CopySamples(sample / "data", ".wav", kSamplesPerKind, {"wave"});
  CopySamples(sample / "data", ".ogg", 2, {"wave"});
  WriteImageSeeds();
  WriteSoundSeeds();
  WriteArchiveSeeds(sample);
  WriteTextSeeds(sample);
  WriteSaveSeeds();
  WriteMidiSeeds();
  WriteMovieSeeds();
  WriteLevelSeeds();
  WriteCommandLineSeeds();
  WriteNetworkSeeds();
  return 0;
}
