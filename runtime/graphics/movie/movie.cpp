// Movies played into graphics: opening a movie's stream objects (from a
// temporary copy when the stream cannot open the file itself), pulling
// frames at draw time, copying them into the graphic, playing, pausing,
// releasing and reopening around a screen rebuild, and closing.
#include "runtime/graphics/movie/movie.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <iterator>

#include "platform/win32/ddraw.h"
#include "platform/win32/dshow.h"
#include "platform/win32/kernel.h"
#include "platform/win32/mmsystem.h"
#include "runtime/core/file_access.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/primitives.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/convert_blit.h"
#include "runtime/image/mem_image.h"

namespace {

// A new movie takes the first free slot; a full table gives -1 without a
// message (the opener looks for the slot itself).
const HandleKindPolicy kMovieHandlePolicy = {
    false, "", false, "メモリの確保に失敗しました in OpenMovieToGraph", true,
};

// A file the stream cannot open is copied in pieces of this size.
constexpr size_t kCopyPieceBytes = 0x100000;

// Updates come at most this often unless the screen was presented since.
constexpr int32_t kMinUpdateMilliseconds = 17;

template <typename Interface>
void ReleaseObject(Interface*& object) {
  if (object != nullptr) {
    object->Release();
    object = nullptr;
  }
}

// Releases every stream and DirectDraw object of the movie, its frame copy
// and its event: everything OpenMovieStreams makes.
void ReleaseMovieStreams(MovieRecord* movie) {
  ReleaseObject(movie->frameSurface);
  ReleaseObject(movie->sampleSurface);
  ReleaseObject(movie->sample);
  ReleaseObject(movie->drawStream);
  ReleaseObject(movie->amMediaStream);
  ReleaseObject(movie->videoStream);
  ReleaseObject(movie->basicAudio);
  ReleaseObject(movie->mediaSeeking);
  ReleaseObject(movie->mediaControl);
  ReleaseObject(movie->multiMediaStream);
  ReleaseObject(movie->graph);
  ReleaseObject(movie->directDraw);
  if (movie->frameBuffer != nullptr) {
    FreeTracked(movie->frameBuffer);
    movie->frameBuffer = nullptr;
  }
  if (movie->frameEvent != nullptr) {
    CloseHandle(movie->frameEvent);
    movie->frameEvent = nullptr;
  }
  movie->updatePending = 0;
}

int FailOpen(MovieRecord* movie, const char* message) {
  ReleaseMovieStreams(movie);
  return LogAdd(message);
}

HRESULT OpenStreamFile(IAMMultiMediaStream* stream, const char* path) {
  // Each byte of a code page 932 text gives at most one UTF-16 unit.
  char16_t wide[sizeof(MovieRecord::path)];
  if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, static_cast<int>(std::size(wide))) == 0) {
    return E_INVALIDARG;
  }
  return stream->OpenFile(wide, 0);
}

// Copies `path`, read through the file layer (so files inside archives are
// found), into a new temporary file whose path goes to `copy` (MAX_PATH
// bytes). 0, or -1 with nothing left behind.
int CopyToTempFile(const char* path, char* copy) {
  const intptr_t source = FileOpenThunk(path, 0, 1, 0);
  if (source == 0) return -1;
  const HANDLE target = CreateTempFile(copy);
  if (target == nullptr) {
    FileCloseThunk(source);
    return -1;
  }
  auto* const buffer = static_cast<uint8_t*>(AllocTracked(kCopyPieceBytes, "", 0));
  bool written = buffer != nullptr;
  while (written) {
    const size_t got = FileReadThunk(buffer, 1, kCopyPieceBytes, source);
    if (got == 0) break;
    DWORD put = 0;
    written = WriteFile(target, buffer, static_cast<DWORD>(got), &put, nullptr) != FALSE &&
              put == got;
  }
  if (buffer != nullptr) FreeTracked(buffer);
  FileCloseThunk(source);
  CloseHandle(target);
  if (!written) {
    DeleteFileA(copy);
    return -1;
  }
  return 0;
}

// The surface description of the sample surface a movie asks for.
void DescribeMovieSurface(int32_t mode, int32_t width, int32_t height,
                          DDSURFACEDESC2* description) {
  *description = DDSURFACEDESC2{};
  description->dwSize = sizeof(DDSURFACEDESC2);
  description->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  description->dwWidth = static_cast<DWORD>(width);
  description->dwHeight = static_cast<DWORD>(height);
  if (mode == kMovieSurfaceOverlay) {
    description->ddsCaps.dwCaps = DDSCAPS_VIDEOMEMORY | DDSCAPS_OVERLAY;
    description->ddpfPixelFormat = *GetOverlayPixelFormat();
    return;
  }
  description->ddsCaps.dwCaps = DDSCAPS_SYSTEMMEMORY | DDSCAPS_OFFSCREENPLAIN;
  if (mode == kMovieSurfaceRgb24) {
    BuildDDPixelFormat(&description->ddpfPixelFormat, 24, 0xFF0000, 0xFF00, 0xFF, 0);
  } else if (Screen.MemImageRendering == 1 && Screen.ScreenPixelDepth > 8) {
    // Drawn by software: the format of the software screen images.
    description->ddpfPixelFormat =
        *GetStandardDDPixelFormat(GetScreenColorDepthDefault() == 16 ? 0 : 1, 0, 0);
  } else {
    description->ddpfPixelFormat = Screen.ScreenPixelFormat;
  }
}

// Reads the current frame from the sample's surface into the frame copy.
// 0, or -1 when the surface cannot be locked.
int CopyFrameToBuffer(MovieRecord* movie) {
  DDSURFACEDESC2 description{};
  description.dwSize = sizeof(description);
  if (FAILED(movie->frameSurface->Lock(nullptr, &description, DDLOCK_WAIT | DDLOCK_READONLY,
                                       nullptr))) {
    return -1;
  }
  const int32_t bytes = movie->frameFormat.bytes_per_pixel;
  // The frame as the surface holds it now.
  const int32_t width =
      std::min<int32_t>(movie->frameWidth,
                        static_cast<int32_t>(description.dwWidth) - movie->sampleRect.left);
  const int32_t height =
      std::min<int32_t>(movie->frameHeight,
                        static_cast<int32_t>(description.dwHeight) - movie->sampleRect.top);
  const auto* source = static_cast<const uint8_t*>(description.lpSurface) +
                       static_cast<intptr_t>(movie->sampleRect.top) * description.lPitch +
                       static_cast<intptr_t>(movie->sampleRect.left) * bytes;
  for (int32_t y = 0; y < height; ++y) {
    std::memcpy(movie->frameBuffer + static_cast<intptr_t>(y) * movie->framePitch,
                source + static_cast<intptr_t>(y) * description.lPitch,
                static_cast<size_t>(width) * bytes);
  }
  movie->frameSurface->Unlock(nullptr);
  return 0;
}

// A new frame is in the sample: it goes into the graphic, and the update
// bookkeeping starts again from now.
void TakeNewFrame(MovieRecord* movie, int32_t graphic_handle) {
  if (movie->frameBuffer != nullptr && CopyFrameToBuffer(movie) == 0 &&
      movie->surfaceMode != kMovieSurfaceOverlay) {
    const GraphicRecord* const graphic = GetGraphicRecord(graphic_handle);
    if (graphic != nullptr && graphic->settings.texture_flag == 1) {
      GraphImage frame{};
      frame.format = movie->frameFormat;
      frame.width = movie->frameWidth;
      frame.height = movie->frameHeight;
      frame.pitch = movie->framePitch;
      frame.pixels = movie->frameBuffer;
      TransferSurfaceToTextures(&frame, graphic_handle, movie->alphaFlag);
    } else if (graphic != nullptr) {
      TransferMovieFrame(movie, graphic);
    }
  }
  movie->lastFlip = static_cast<int64_t>(GetFlipCounter());
  movie->lastUpdateTime = static_cast<int32_t>(timeGetTime());
  if (movie->frameEvent != nullptr) ResetEvent(movie->frameEvent);
  movie->updatePending = 0;
}

MovieRecord* MovieOfGraphic(int32_t graphic) {
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr || record->movie_handle == -1) return nullptr;
  return GetMovieRecord(record->movie_handle);
}

template <typename Visit>
void ForEachMovieGraphic(Visit&& visit) {
  for (int32_t slot = 0; slot < GraphicTable.area_end; ++slot) {
    const auto* graphic = reinterpret_cast<const GraphicRecord*>(GraphicTable.records[slot]);
    if (graphic != nullptr && graphic->movie_handle != -1) visit(graphic->head.handle);
  }
}

template <typename Visit>
int ForEachMovie(Visit&& visit) {
  for (int32_t slot = 0; slot < MovieHandleTable.area_end; ++slot) {
    auto* movie = reinterpret_cast<MovieRecord*>(MovieHandleTable.records[slot]);
    if (movie != nullptr && visit(movie) < 0) return -1;
  }
  return 0;
}

}  // namespace

int32_t OpenMovieToGraph(const char* path, int32_t* width, int32_t* height,
                         int32_t surface_mode) {
  if (path == nullptr) return -1;
  int32_t slot = -1;
  for (int32_t i = 0; i < MovieHandleTable.slot_count; ++i) {
    if (MovieHandleTable.records[i] == nullptr) {
      slot = i;
      break;
    }
  }
  if (slot < 0) return -1;

  // The id is taken from the counter only once the movie is open.
  const int32_t id = MovieHandleTable.check_counter;
  HandleRecordHead* head = nullptr;
  const int32_t handle = AddHandleRecord(&MovieHandleTable, kMovieHandlePolicy,
                                         sizeof(MovieRecord), slot, id, &head);
  if (handle < 0) return -1;
  auto* const movie = reinterpret_cast<MovieRecord*>(head);
  movie->reserved[0] = -1;
  movie->reserved[1] = -1;

  int32_t movie_width = 0;
  int32_t movie_height = 0;
  if (OpenMovieStreams(movie, GetDirectDrawObject(), path, &movie_width, &movie_height,
                       surface_mode) < 0) {
    // A copy made for a movie that then failed to open is not left behind.
    if (movie->tempFile == 1) DeleteFileA(movie->path);
    FreeHandleRecord(&MovieHandleTable, head);
    return LogAdd("ムービーファイルオープン処理時にエラーが発生しました");
  }
  movie->playing = 0;
  MovieHandleTable.check_counter = id >= kHandleCheckIdMax ? 0 : id + 1;
  if (width != nullptr) *width = movie_width;
  if (height != nullptr) *height = movie_height;
  return handle;
}

int OpenMovieStreams(MovieRecord* movie, IDirectDraw7* direct_draw, const char* path_given,
                     int32_t* width, int32_t* height, int32_t surface_mode) {
  // The path may be the record's own (a reopen): work on a copy of it. A path
  // the record cannot hold is refused rather than cut.
  char path[sizeof(movie->path)];
  if (path_given == nullptr || std::strlen(path_given) >= sizeof(path)) {
    return LogPrintf("ファイル:%s が開けませんでした", path_given != nullptr ? path_given : "");
  }
  std::strcpy(path, path_given);

  if (surface_mode == kMovieSurfaceOverlay && GetOverlayPixelFormat() == nullptr) {
    surface_mode = kMovieSurfaceRgb24;
  }
  if (surface_mode == kMovieSurfaceRgb24 && Screen.MemImageRendering == 1 &&
      GetScreenColorDepthDefault() == 32) {
    surface_mode = kMovieSurfaceScreenFormat;
  }
  movie->surfaceMode = surface_mode;

  if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, IID_IGraphBuilder,
                              reinterpret_cast<void**>(&movie->graph)))) {
    return FailOpen(movie, "CLSID_FilterGraph の作成に失敗しました");
  }
  if (FAILED(CoCreateInstance(CLSID_AMMultiMediaStream, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IAMMultiMediaStream,
                              reinterpret_cast<void**>(&movie->multiMediaStream)))) {
    return FailOpen(movie, "IAMMultimediaインターフェイスを取得できませんでした！");
  }
  if (FAILED(movie->multiMediaStream->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD,
                                                 movie->graph))) {
    return FailOpen(movie, "ストリームを読み取り用にセットアップできませんでした！");
  }
  if (FAILED(movie->graph->QueryInterface(IID_IMediaControl,
                                          reinterpret_cast<void**>(&movie->mediaControl)))) {
    return FailOpen(movie, "IID_IMediaControlインターフェイスの取得に失敗しました");
  }
  if (direct_draw == nullptr ||
      FAILED(direct_draw->QueryInterface(IID_IDirectDraw7,
                                         reinterpret_cast<void**>(&movie->directDraw)))) {
    return FailOpen(movie, "DirectDraw4オブジェクトを取得できませんでした");
  }
  if (FAILED(movie->multiMediaStream->AddMediaStream(movie->directDraw, &MSPID_PrimaryVideo, 0,
                                                     nullptr))) {
    return FailOpen(movie, "プライマリビデオストリームを追加できませんでした！");
  }
  if (FAILED(movie->multiMediaStream->AddMediaStream(nullptr, &MSPID_PrimaryAudio,
                                                     AMMSF_ADDDEFAULTRENDERER, nullptr))) {
    return FailOpen(movie, "デフォルトサウンドレンダラを追加できませんでした！\n");
  }

  // A file the stream cannot open (one inside an archive) is played from a
  // temporary copy.
  HRESULT opened = OpenStreamFile(movie->multiMediaStream, path);
  if (FAILED(opened) && movie->tempFile == 0) {
    char copy[MAX_PATH];
    if (CopyToTempFile(path, copy) == 0) {
      opened = OpenStreamFile(movie->multiMediaStream, copy);
      if (SUCCEEDED(opened)) {
        movie->tempFile = 1;
        std::strcpy(path, copy);
      } else {
        DeleteFileA(copy);
      }
    }
  }
  if (FAILED(opened)) {
    ReleaseMovieStreams(movie);
    return LogPrintf("ファイル:%s が開けませんでした", path_given);
  }
  std::strcpy(movie->path, path);

  if (FAILED(movie->graph->QueryInterface(IID_IMediaSeeking,
                                          reinterpret_cast<void**>(&movie->mediaSeeking)))) {
    return FailOpen(movie, "メディアシーキングインターフェースの取得に失敗しました");
  }
  movie->duration = 0;
  movie->mediaSeeking->GetDuration(&movie->duration);
  if (FAILED(movie->graph->QueryInterface(IID_IBasicAudio,
                                          reinterpret_cast<void**>(&movie->basicAudio)))) {
    return FailOpen(movie, "BasicAudio インターフェースの取得に失敗しました");
  }
  if (FAILED(movie->multiMediaStream->GetMediaStream(MSPID_PrimaryVideo, &movie->videoStream)) ||
      movie->videoStream == nullptr) {
    return FailOpen(movie, "プライマリビデオストリームインターフェイスを取得できませんでした！");
  }
  if (FAILED(movie->videoStream->QueryInterface(IID_IAMMediaStream,
                                                reinterpret_cast<void**>(&movie->amMediaStream)))) {
    return FailOpen(movie, "AMMediaStreamインターフェイスの取得に失敗しました");
  }
  if (FAILED(movie->videoStream->QueryInterface(IID_IDirectDrawMediaStream,
                                                reinterpret_cast<void**>(&movie->drawStream)))) {
    return FailOpen(movie, "DirectDrawメディアストリームインターフェイスを取得できませんでした！");
  }

  DDSURFACEDESC2 format{};
  format.dwSize = sizeof(format);
  if (FAILED(movie->drawStream->GetFormat(&format, nullptr, nullptr, nullptr)) ||
      format.dwWidth == 0 || format.dwHeight == 0) {
    return FailOpen(movie, "動画ファイルではない可能性があります！");
  }
  DDSURFACEDESC2 asked{};
  DescribeMovieSurface(movie->surfaceMode, static_cast<int32_t>(format.dwWidth),
                       static_cast<int32_t>(format.dwHeight), &asked);
  IDirectDrawSurface7* made = nullptr;
  if (FAILED(movie->directDraw->CreateSurface(&asked, &made, nullptr)) || made == nullptr) {
    return FailOpen(movie, "DirectDrawSurface オブジェクトの作成に失敗しました");
  }

  // The sample holds the surface from here on; when it cannot render into
  // it, the stream makes a surface of its own.
  HRESULT sampled =
      movie->drawStream->CreateSample(made, nullptr, DDSFF_PROGRESSIVERENDER, &movie->sample);
  made->Release();
  if (FAILED(sampled)) {
    movie->surfaceMode = kMovieSurfaceScreenFormat;
    sampled = movie->drawStream->CreateSample(nullptr, nullptr, 0, &movie->sample);
  }
  if (FAILED(sampled) || movie->sample == nullptr) {
    return FailOpen(movie, "ストリームサンプルを作成できませんでした！");
  }
  DDSURFACEDESC2 surface{};
  surface.dwSize = sizeof(surface);
  const RECT& rect = movie->sampleRect;
  if (FAILED(movie->sample->GetSurface(&movie->sampleSurface, &movie->sampleRect)) ||
      movie->sampleSurface == nullptr ||
      FAILED(movie->sampleSurface->GetSurfaceDesc(&surface)) || rect.left < 0 || rect.top < 0 ||
      rect.right <= rect.left || rect.bottom <= rect.top ||
      rect.right > static_cast<LONG>(surface.dwWidth) ||
      rect.bottom > static_cast<LONG>(surface.dwHeight)) {
    return FailOpen(movie,
                    "ストリームサンプルからIDirectDrawSurfaceインターフェイスを取得できませんでした！");
  }
  movie->width = rect.right - rect.left;
  movie->height = rect.bottom - rect.top;
  DDSCAPS2 caps{};
  movie->sampleSurface->GetCaps(&caps);
  movie->inSystemMemory = (caps.dwCaps & DDSCAPS_SYSTEMMEMORY) != 0 ? 1 : 0;

  // Frames are read from the same surface.
  movie->frameSurface = movie->sampleSurface;
  movie->frameSurface->AddRef();
  DeriveColorFormatChannels(&surface.ddpfPixelFormat, &movie->frameFormat);
  if (movie->surfaceMode != kMovieSurfaceOverlay) {
    const int32_t bytes = movie->frameFormat.bytes_per_pixel;
    if (bytes < 1 || bytes > 4) {
      return FailOpen(movie, "IDirectDrawSurface4インターフェイスを取得できませんでした！");
    }
    movie->frameWidth = movie->width;
    movie->frameHeight = movie->height;
    movie->framePitch = (movie->frameWidth * bytes + 3) & ~3;
    movie->frameBuffer = static_cast<uint8_t*>(AllocTracked(
        static_cast<size_t>(movie->framePitch) * static_cast<size_t>(movie->frameHeight), "",
        0));
    if (movie->frameBuffer == nullptr) {
      return FailOpen(movie, "メモリの確保に失敗しました in OpenMovieToGraph");
    }
  }

  movie->frameEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  movie->updatePending = 0;
  movie->lastFlip = -1;
  movie->lastUpdateTime = -1;
  movie->openTime = GetTimeMicroseconds(1);
  movie->timePerFrame = 0;
  movie->drawStream->GetTimePerFrame(&movie->timePerFrame);
  if (width != nullptr) *width = movie->width;
  if (height != nullptr) *height = movie->height;
  return 0;
}

MovieRecord* GetMovieRecord(int32_t movie) {
  return reinterpret_cast<MovieRecord*>(CheckRuntimeHandle(MovieHandleTable, movie));
}

int32_t GetMovieSurfaceMode(const MovieRecord* movie) { return movie->surfaceMode; }

int UpdateMovieFrame(int32_t graphic_handle, int32_t force) {
  const GraphicRecord* const graphic = GetGraphicRecord(graphic_handle);
  if (graphic == nullptr) return -1;
  if (graphic->movie_handle == -1) return 0;
  MovieRecord* const movie = GetMovieRecord(graphic->movie_handle);
  if (movie == nullptr) return -1;
  if (movie->multiMediaStream == nullptr) return 0;

  if (force == 0) {
    if (movie->playing == 0) return 0;
    STREAM_STATE state = STREAMSTATE_STOP;
    if (FAILED(movie->multiMediaStream->GetState(&state)) || state != STREAMSTATE_RUN) return 0;
    // Millisecond clock readings are compared modulo 2^32.
    const int32_t since =
        static_cast<int32_t>(timeGetTime() - static_cast<DWORD>(movie->lastUpdateTime));
    if (static_cast<int64_t>(GetFlipCounter()) == movie->lastFlip &&
        since <= kMinUpdateMilliseconds) {
      return 0;
    }
  }

  for (int pass = 0;; ++pass) {
    if (movie->updatePending == 1) {
      // The update started earlier has not brought its frame yet. A forced
      // update waits for it too: a second update of the sample cannot start
      // while one is outstanding.
      if (WaitForSingleObject(movie->frameEvent, 0) != WAIT_OBJECT_0) return 0;
    } else {
      const HRESULT result =
          movie->sample->Update(0, force == 0 ? movie->frameEvent : nullptr, nullptr, 0);
      if (result == MS_S_PENDING) {
        movie->updatePending = 1;
        return 0;
      }
      if (result != S_OK) {
        // The end of the stream (or a stream that stopped).
        movie->playing = 0;
        return 0;
      }
    }
    TakeNewFrame(movie, graphic_handle);
    // After the first frame of an unforced call the next update starts at
    // once, so it is normally there by the next call.
    if (force != 0 || pass > 0) return 0;
  }
}

int TransferMovieFrame(MovieRecord* movie, const GraphicRecord* graphic) {
  if (movie == nullptr || graphic == nullptr || movie->frameBuffer == nullptr ||
      graphic->surface_count < 1) {
    return -1;
  }
  const Surface2DRecord* const surface = GetSurface2DRecord(graphic->surfaces[0]);
  if (surface == nullptr) return -1;
  SurfaceDataRecord* const data = GetSurfaceDataRecord(surface->surface_data);
  if (data == nullptr) return -1;

  // Graphics derived from a movie graphic show parts of the same pixels: the
  // frame goes where the movie graphic's own top-left lies.
  const int32_t origin_x =
      std::max(0, surface->data_x - surface->graphic_x - graphic->offset_x);
  const int32_t origin_y =
      std::max(0, surface->data_y - surface->graphic_y - graphic->offset_y);

  uint8_t* pixels = nullptr;
  int32_t pitch = 0;
  int32_t dest_width = 0;
  int32_t dest_height = 0;
  ColorFormat dest_format{};
  MEMIMG* image = nullptr;
  if (data->software_flag == 1 || (Screen.MemImageRendering == 1 && Screen.ScreenPixelDepth != 8)) {
    image = &data->image;
    if (image->pixels == nullptr || image->format == nullptr || image->palette_flag == 1) {
      return -1;
    }
    pixels = image->pixels;
    pitch = image->pitch;
    dest_width = image->width;
    dest_height = image->height;
    // The image's own layout: the standard one of its kind.
    dest_format = *image->format;
  } else {
    if (data->surface == nullptr) return -1;
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof(description);
    if (FAILED(data->surface->Lock(nullptr, &description, DDLOCK_WAIT | DDLOCK_WRITEONLY,
                                   nullptr))) {
      return LogAdd("ムービーグラフィック転送先サーフェスのロックに失敗しました");
    }
    pixels = static_cast<uint8_t*>(description.lpSurface);
    pitch = description.lPitch;
    dest_width = static_cast<int32_t>(description.dwWidth);
    dest_height = static_cast<int32_t>(description.dwHeight);
    DeriveColorFormatChannels(&description.ddpfPixelFormat, &dest_format);
  }

  // The part of the frame that the pixels can hold.
  const int32_t width = std::min(movie->frameWidth, dest_width - origin_x);
  const int32_t height = std::min(movie->frameHeight, dest_height - origin_y);
  if (width > 0 && height > 0) {
    const ColorFormat& frame = movie->frameFormat;
    if (movie->surfaceMode != kMovieSurfaceRgb24 && ColorFormatsEqual(&dest_format, &frame)) {
      // The same layout: the rows are copied as they are.
      const int32_t bytes = frame.bytes_per_pixel;
      for (int32_t y = 0; y < height; ++y) {
        std::memcpy(pixels + static_cast<intptr_t>(origin_y + y) * pitch +
                        static_cast<intptr_t>(origin_x) * bytes,
                    movie->frameBuffer + static_cast<intptr_t>(y) * movie->framePitch,
                    static_cast<size_t>(width) * bytes);
      }
    } else {
      const RECT area = {0, 0, width, height};
      ConvertImageBlit(pixels, pitch, &dest_format, movie->frameBuffer, movie->framePitch, &frame,
                       nullptr, 0, nullptr, origin_x, origin_y, &area, 0, 0, 0, 0, 0, 0, 0);
    }
  }

  if (image == nullptr) {
    data->surface->Unlock(nullptr);
  } else if (image->run_table != nullptr) {
    // Keyed draws of a software image follow its run table: it is written
    // again for the new pixels when the frame covers the image, else set
    // aside so that draws test each pixel.
    if (origin_x == 0 && origin_y == 0 && width == image->width && height == image->height) {
      BuildMemImageRunTable(image);
    } else {
      image->run_table_flag = 0;
    }
  }
  return 0;
}

int ShowMovieOverlay(int32_t, int32_t, MovieRecord* movie, int32_t, int32_t) {
  // The display reports no overlay layout (GetOverlayPixelFormat gives
  // none), so every movie is opened into an off-screen surface and none is
  // ever shown through an overlay.
  assert(movie == nullptr || movie->surfaceMode != kMovieSurfaceOverlay);
  (void)movie;
  return 0;
}

int PlayGraphicMovie(int32_t graphic) {
  MovieRecord* const movie = MovieOfGraphic(graphic);
  if (movie == nullptr) return -1;
  if (movie->playing != 1) {
    // Released objects are run again when they are made again.
    if (movie->multiMediaStream != nullptr) movie->multiMediaStream->SetState(STREAMSTATE_RUN);
    movie->playing = 1;
  }
  return 0;
}

int PauseGraphicMovie(int32_t graphic) {
  MovieRecord* const movie = MovieOfGraphic(graphic);
  if (movie == nullptr) return -1;
  if (movie->playing != 0) {
    if (movie->mediaControl != nullptr) movie->mediaControl->Pause();
    movie->playing = 0;
  }
  return 0;
}

int PlayAllMovies() {
  ForEachMovieGraphic([](int32_t graphic) { PlayGraphicMovie(graphic); });
  return 0;
}

int PauseAllMovies() {
  ForEachMovieGraphic([](int32_t graphic) { PauseGraphicMovie(graphic); });
  return 0;
}

int ReleaseAllMovieObjects() {
  return ForEachMovie([](MovieRecord* movie) {
    if (movie->multiMediaStream == nullptr) return 0;
    movie->savedTime = 0;
    movie->multiMediaStream->GetTime(&movie->savedTime);
    ReleaseMovieStreams(movie);
    return 0;
  });
}

int ReopenAllMovies() {
  return ForEachMovie([](MovieRecord* movie) {
    if (movie->multiMediaStream != nullptr) return 0;
    if (OpenMovieStreams(movie, GetDirectDrawObject(), movie->path, nullptr, nullptr,
                         movie->surfaceMode) < 0) {
      return -1;
    }
    movie->multiMediaStream->Seek(movie->savedTime);
    if (movie->playing == 1) movie->multiMediaStream->SetState(STREAMSTATE_RUN);
    return 0;
  });
}

int RestoreMovieSurfaces(int32_t movie_handle) {
  MovieRecord* const movie = GetMovieRecord(movie_handle);
  if (movie == nullptr) return -1;
  for (IDirectDrawSurface7* surface : {movie->sampleSurface, movie->frameSurface}) {
    if (surface != nullptr && surface->IsLost() == DDERR_SURFACELOST) surface->Restore();
  }
  return 0;
}

int CloseGraphicMovie(int32_t graphic) {
  GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr || record->movie_handle == -1) return -1;
  const int32_t movie = record->movie_handle;
  if (GetMovieRecord(movie) == nullptr) return -1;
  record->movie_handle = -1;
  // Graphics derived from this one (or the one it was derived from) may
  // still show the movie: it closes with the last of them.
  for (int32_t slot = 0; slot < GraphicTable.area_end; ++slot) {
    const auto* other = reinterpret_cast<const GraphicRecord*>(GraphicTable.records[slot]);
    if (other != nullptr && other != record && other->movie_handle == movie) return 0;
  }
  return CloseMovie(movie);
}

int CloseMovie(int32_t movie_handle) {
  return DeleteHandleRecord(&MovieHandleTable, movie_handle, [](HandleRecordHead* head) {
    auto* const movie = reinterpret_cast<MovieRecord*>(head);
    // The stream lets go of the file before its temporary copy is deleted.
    ReleaseMovieStreams(movie);
    if (movie->tempFile == 1) DeleteFileA(movie->path);
    return HandleRelease::kFree;
  });
}
