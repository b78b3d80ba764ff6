// Audio Compression Manager stand-in: conversion of MPEG audio (format tag
// 0x55, layers I to III, the format the MP3 codec takes) to 16-bit PCM of the
// same rate and channels, decoded with libmpg123. No other conversion exists:
// any other source format is refused (ACMERR_NOTPOSSIBLE).
//
// A conversion stream takes whole MPEG frames only (the block-align
// conversion): a frame cut off at the end of the source given, or one whose
// samples no longer fit in the destination, is left for the next call
// (cbSrcLengthUsed tells how far the call got). Bytes between frames that
// start no frame are passed over.
#pragma once

#include <cstdint>

#include "platform/win32/dsound.h"
#include "platform/win32/mmsystem.h"
#include "platform/win32/types.h"

struct HACMDRIVER__;
using HACMDRIVER = HACMDRIVER__*;
struct HACMSTREAM__;
using HACMSTREAM = HACMSTREAM__*;
struct HACMOBJ__;
using HACMOBJ = HACMOBJ__*;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT ACMERR_NOTPOSSIBLE = 512;
constexpr MMRESULT ACMERR_UNPREPARED = 514;

constexpr DWORD ACM_FORMATSUGGESTF_WFORMATTAG = 0x00010000;
constexpr DWORD ACM_STREAMOPENF_NONREALTIME = 0x00000004;
constexpr DWORD ACM_STREAMCONVERTF_BLOCKALIGN = 0x00000004;
constexpr DWORD ACM_STREAMSIZEF_SOURCE = 0x00000000;
constexpr DWORD ACM_STREAMSIZEF_DESTINATION = 0x00000001;
constexpr UINT ACM_METRIC_MAX_SIZE_FORMAT = 50;

constexpr DWORD ACMSTREAMHEADER_STATUSF_DONE = 0x00010000;
constexpr DWORD ACMSTREAMHEADER_STATUSF_PREPARED = 0x00020000;

// One conversion: the source bytes given and used, the destination room and
// the bytes written.
struct ACMSTREAMHEADER {
  DWORD cbStruct;
  DWORD fdwStatus;
  DWORD_PTR dwUser;
  BYTE* pbSrc;
  DWORD cbSrcLength;
  DWORD cbSrcLengthUsed;
  DWORD_PTR dwSrcUser;
  BYTE* pbDst;
  DWORD cbDstLength;
  DWORD cbDstLengthUsed;
  DWORD_PTR dwDstUser;
};

// MPEG audio layer III format (30 bytes).
constexpr WORD WAVE_FORMAT_MPEGLAYER3 = 0x0055;
constexpr WORD MPEGLAYER3_WFX_EXTRA_BYTES = 12;
constexpr WORD MPEGLAYER3_ID_MPEG = 1;
constexpr DWORD MPEGLAYER3_FLAG_PADDING_ISO = 0;
constexpr DWORD MPEGLAYER3_FLAG_PADDING_ON = 1;
constexpr DWORD MPEGLAYER3_FLAG_PADDING_OFF = 2;

#pragma pack(push, 1)
struct MPEGLAYER3WAVEFORMAT {
  WAVEFORMATEX wfx;
  WORD wID;
  DWORD fdwFlags;
  WORD nBlockSize;
  WORD nFramesPerBlock;
  WORD nCodecDelay;
};
#pragma pack(pop)
static_assert(sizeof(MPEGLAYER3WAVEFORMAT) == 30, "MPEGLAYER3WAVEFORMAT is 30 bytes");

// ACM_METRIC_MAX_SIZE_FORMAT: the largest format any conversion takes (the
// MPEG layer III format), written as a DWORD to `value`. `object` must be null.
MMRESULT acmMetrics(HACMOBJ object, UINT metric, LPVOID value);

// Completes `dest` (its tag set to WAVE_FORMAT_PCM with
// ACM_FORMATSUGGESTF_WFORMATTAG) as the PCM that `source` converts to: the
// source's channels and rate, 16 bits. `dest_size` is at least 18.
MMRESULT acmFormatSuggest(HACMDRIVER driver, LPWAVEFORMATEX source, LPWAVEFORMATEX dest,
                          DWORD dest_size, DWORD flags);

// Opens a conversion from `source` to `dest` (the suggested PCM); no filter,
// no callback.
MMRESULT acmStreamOpen(HACMSTREAM* stream, HACMDRIVER driver, LPWAVEFORMATEX source,
                       LPWAVEFORMATEX dest, LPVOID filter, DWORD_PTR callback,
                       DWORD_PTR instance, DWORD flags);
MMRESULT acmStreamClose(HACMSTREAM stream, DWORD flags);

// ACM_STREAMSIZEF_SOURCE: destination bytes that `input` source bytes may
// convert to at most (every frame at the lowest bit rate of the source's
// MPEG version); ACM_STREAMSIZEF_DESTINATION: the source bytes that fill at
// most `input` destination bytes.
MMRESULT acmStreamSize(HACMSTREAM stream, DWORD input, LPDWORD output, DWORD flags);

MMRESULT acmStreamPrepareHeader(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD flags);
MMRESULT acmStreamUnprepareHeader(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD flags);
// Converts what the prepared header gives (flags 0 or
// ACM_STREAMCONVERTF_BLOCKALIGN: both convert whole frames only).
MMRESULT acmStreamConvert(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD flags);
