// The Vorbis setup header check done before the system's decoder sees a
// stream.
#include "runtime/sound/ogg_setup_check.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// Logical streams whose header packets may be read at the same time (a
// grouped file); more than that is refused.
constexpr int kMaxPendingStreams = 16;
// The most codebooks a setup header can declare (an 8-bit count plus one).
constexpr int kMaxCodebooks = 256;
constexpr size_t kReadChunk = 4096;

// Bits of the number, as the Vorbis format counts them: ilog(0) = 0.
int BitCount(uint64_t value) {
  int bits = 0;
  while (value != 0) {
    ++bits;
    value >>= 1;
  }
  return bits;
}

// The bit reader over one packet; `failed` once a read ran past its end.
struct SetupReader {
  oggpack_buffer bits;
  int64_t total_bits;
  bool failed = false;

  SetupReader(unsigned char* data, long bytes) : total_bits(static_cast<int64_t>(bytes) * 8) {
    oggpack_readinit(&bits, data, static_cast<int>(bytes));
  }

  int64_t Read(int count) {
    if (failed) return 0;
    if (count == 0) return 0;
    const long value = oggpack_read(&bits, count);
    if (value < 0) {
      failed = true;
      return 0;
    }
    return value;
  }

  void Skip(int64_t count) {
    if (failed) return;
    if (count > total_bits - oggpack_bits(&bits)) {
      failed = true;
      return;
    }
    while (count > 0) {
      const int step = count > (1 << 24) ? (1 << 24) : static_cast<int>(count);
      oggpack_adv(&bits, step);
      count -= step;
    }
  }
};

// The number of values of a lookup table of type 1: the largest r with
// r^dimensions <= entries.
int64_t LatticeValues(int64_t entries, int64_t dimensions) {
  auto power_fits = [&](int64_t base) {
    int64_t product = 1;
    for (int64_t i = 0; i < dimensions; ++i) {
      product *= base;
      if (product > entries) return false;
    }
    return true;
  };
  if (entries < 1) return 0;
  int64_t r = static_cast<int64_t>(
      std::floor(std::pow(static_cast<double>(entries), 1.0 / static_cast<double>(dimensions))));
  while (r > 0 && !power_fits(r)) --r;
  while (power_fits(r + 1)) ++r;
  return r;
}

// Reads one codebook; its dimension goes to `dimensions`. False when the
// decoder would refuse it or divide by its dimension.
bool ReadCodebook(SetupReader& in, int64_t& dimensions) {
  if (in.Read(24) != 0x564342) return false;
  dimensions = in.Read(16);
  const int64_t entries = in.Read(24);
  if (in.Read(1) == 0) {
    const bool sparse = in.Read(1) != 0;
    for (int64_t i = 0; i < entries && !in.failed; ++i) {
      if (!sparse || in.Read(1) != 0) in.Read(5);
    }
  } else {
    in.Read(5);
    for (int64_t i = 0; i < entries && !in.failed;) {
      const int64_t run = in.Read(BitCount(static_cast<uint64_t>(entries - i)));
      if (run > entries - i) return false;
      i += run;
    }
  }
  const int64_t lookup = in.Read(4);
  if (lookup == 1 || lookup == 2) {
    in.Read(32);
    in.Read(32);
    const int64_t value_bits = in.Read(4) + 1;
    in.Read(1);
    // A lattice table's size is the dimension-th root of the entries.
    if (lookup == 1 && dimensions == 0) return false;
    const int64_t values =
        lookup == 1 ? LatticeValues(entries, dimensions) : entries * dimensions;
    in.Skip(values * value_bits);
  } else if (lookup != 0) {
    return false;
  }
  return !in.failed;
}

bool ReadFloor(SetupReader& in) {
  const int64_t type = in.Read(16);
  if (type == 0) {
    in.Read(8);
    in.Read(16);
    in.Read(16);
    in.Read(6);
    in.Read(8);
    const int64_t books = in.Read(4) + 1;
    for (int64_t i = 0; i < books; ++i) in.Read(8);
    return !in.failed;
  }
  if (type != 1) return false;
  const int64_t partitions = in.Read(5);
  int64_t partition_class[32] = {};
  int64_t max_class = -1;
  for (int64_t i = 0; i < partitions; ++i) {
    partition_class[i] = in.Read(4);
    if (partition_class[i] > max_class) max_class = partition_class[i];
  }
  int64_t class_dimensions[16] = {};
  for (int64_t c = 0; c <= max_class; ++c) {
    class_dimensions[c] = in.Read(3) + 1;
    const int64_t subclasses = in.Read(2);
    if (subclasses != 0) in.Read(8);
    for (int64_t k = 0; k < (int64_t{1} << subclasses); ++k) in.Read(8);
  }
  in.Read(2);
  const int range_bits = static_cast<int>(in.Read(4));
  for (int64_t i = 0; i < partitions; ++i) {
    in.Skip(class_dimensions[partition_class[i]] * range_bits);
  }
  return !in.failed;
}

bool ReadResidue(SetupReader& in, const int64_t* dimensions, int64_t books) {
  if (in.Read(16) > 2) return false;
  in.Read(24);
  in.Read(24);
  in.Read(24);
  const int64_t classifications = in.Read(6) + 1;
  const int64_t class_book = in.Read(8);
  int64_t stage_books = 0;
  for (int64_t i = 0; i < classifications; ++i) {
    const int64_t low = in.Read(3);
    const int64_t high = in.Read(1) != 0 ? in.Read(5) : 0;
    stage_books += std::popcount(static_cast<uint64_t>(high << 3 | low));
  }
  if (in.failed) return false;
  // The decoder divides by the classification book's dimension, and by a
  // stage book's.
  if (class_book >= books || dimensions[class_book] == 0) return false;
  for (int64_t i = 0; i < stage_books; ++i) {
    const int64_t book = in.Read(8);
    if (in.failed || book >= books || dimensions[book] == 0) return false;
  }
  return true;
}

// The setup header packet: codebooks, time domain, floors and residues.
bool SetupHeaderPasses(ogg_packet& packet) {
  if (packet.bytes < 7 || packet.packet[0] != 5 ||
      std::memcmp(packet.packet + 1, "vorbis", 6) != 0) {
    return true;  // not a setup header: the decoder refuses the stream itself
  }
  SetupReader in(packet.packet + 7, packet.bytes - 7);
  const int64_t books = in.Read(8) + 1;
  int64_t dimensions[kMaxCodebooks] = {};
  for (int64_t i = 0; i < books; ++i) {
    if (!ReadCodebook(in, dimensions[i])) return false;
  }
  const int64_t times = in.Read(6) + 1;
  for (int64_t i = 0; i < times; ++i) {
    if (in.Read(16) != 0) return false;
  }
  const int64_t floors = in.Read(6) + 1;
  for (int64_t i = 0; i < floors; ++i) {
    if (!ReadFloor(in)) return false;
  }
  const int64_t residues = in.Read(6) + 1;
  for (int64_t i = 0; i < residues; ++i) {
    if (!ReadResidue(in, dimensions, books)) return false;
  }
  return !in.failed;
}

// One logical stream whose first three packets are still being read, with
// what the decoder made of them so far.
struct PendingStream {
  bool in_use = false;
  int serial = 0;
  int packets = 0;
  ogg_stream_state state{};
  vorbis_info info{};
  vorbis_comment comment{};
};

void StartStream(PendingStream& stream, int serial) {
  ogg_stream_init(&stream.state, serial);
  vorbis_info_init(&stream.info);
  vorbis_comment_init(&stream.comment);
  stream.in_use = true;
  stream.serial = serial;
  stream.packets = 0;
}

void EndStream(PendingStream& stream) {
  if (!stream.in_use) return;
  vorbis_comment_clear(&stream.comment);
  vorbis_info_clear(&stream.info);
  ogg_stream_clear(&stream.state);
  stream.in_use = false;
}

// Whether the decoder can make its decoding tables from the headers read.
// It checks that the code lengths of every codebook make a whole code tree
// only here; when that fails it keeps half-made tables and, asked again after
// a seek, decodes with them, dividing by a dimension of 0.
bool DecoderStarts(vorbis_info& info) {
  vorbis_dsp_state dsp;
  if (vorbis_synthesis_init(&dsp, &info) != 0) return false;
  vorbis_dsp_clear(&dsp);
  return true;
}

// Takes the packets a page completes. False when the file is refused.
bool TakePackets(PendingStream& stream) {
  ogg_packet packet;
  for (;;) {
    const int got = ogg_stream_packetout(&stream.state, &packet);
    if (got == 0) return true;
    if (got < 0) continue;  // a hole: the decoder meets it too
    const int index = stream.packets++;
    if (index == 0 && vorbis_synthesis_idheader(&packet) == 0) {
      EndStream(stream);  // not a Vorbis stream: not for this decoder
      return true;
    }
    // The setup header is checked for the divisions before the decoder
    // unpacks it (unpacking a lattice codebook divides by its dimension).
    const bool passes = (index != 2 || SetupHeaderPasses(packet)) &&
                        vorbis_synthesis_headerin(&stream.info, &stream.comment, &packet) == 0 &&
                        (index != 2 || DecoderStarts(stream.info));
    if (!passes || index == 2) {
      EndStream(stream);
      return passes;
    }
  }
}

// Hands one page to the stream it belongs to. False when the file is
// refused.
bool TakePage(ogg_page& page, PendingStream* streams) {
  const int serial = ogg_page_serialno(&page);
  PendingStream* owner = nullptr;
  for (int i = 0; i < kMaxPendingStreams; ++i) {
    if (streams[i].in_use && streams[i].serial == serial) owner = &streams[i];
  }
  if (ogg_page_bos(&page) != 0) {
    if (owner == nullptr) {
      for (int i = 0; i < kMaxPendingStreams && owner == nullptr; ++i) {
        if (!streams[i].in_use) owner = &streams[i];
      }
      if (owner == nullptr) return false;
    } else {
      EndStream(*owner);
    }
    StartStream(*owner, serial);
  }
  if (owner == nullptr) return true;
  ogg_stream_pagein(&owner->state, &page);
  return TakePackets(*owner);
}

}  // namespace

int CheckOggVorbisSetupHeaders(const StreamSource* stream) {
  const StreamFunctions& io = stream->functions;
  io.Seek(stream->handle, 0, 0);
  ogg_sync_state sync;
  ogg_sync_init(&sync);
  PendingStream streams[kMaxPendingStreams];
  bool passes = true;
  for (bool more = true; more && passes;) {
    char* buffer = ogg_sync_buffer(&sync, static_cast<long>(kReadChunk));
    const size_t got = buffer != nullptr ? io.Read(buffer, 1, kReadChunk, stream->handle) : 0;
    more = got > 0;
    if (more) ogg_sync_wrote(&sync, static_cast<long>(got));
    ogg_page page;
    for (int result; passes && (result = ogg_sync_pageout(&sync, &page)) != 0;) {
      if (result > 0) passes = TakePage(page, streams);
    }
  }
  for (PendingStream& pending : streams) EndStream(pending);
  ogg_sync_clear(&sync);
  io.Seek(stream->handle, 0, 0);
  return passes ? 0 : -1;
}
