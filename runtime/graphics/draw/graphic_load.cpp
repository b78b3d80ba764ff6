// Loading graphics from image files, and refilling them after the screen's
// surfaces were lost.
#include "runtime/graphics/draw/graphic_load.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/file_access.h"
#include "runtime/core/log.h"
#include "runtime/core/upper_layers.h"
#include "runtime/graphics/draw/graphic_draw.h"
#include "runtime/graphics/draw/graphic_from_image.h"
#include "runtime/graphics/movie/movie.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/color_format.h"
#include "runtime/image/image_decoder.h"

GraphicRestoreFunction GraphicRestoreHandler = RestoreGraphicsFromFiles;

int DecodeImageStream(StreamSource* stream, GraphImage* image) {
  auto offer = [&](ImageLoader loader) {
    stream->functions.Seek(stream->handle, 0, 0);
    return loader(stream, image) == 0;
  };
  for (int32_t i = 0; i < UserImageLoaderCount && i < kUserImageLoaderMax; ++i)
    if (UserImageLoaderTable[i] != nullptr && offer(UserImageLoaderTable[i])) return 0;
  for (const ImageLoader loader : ImageLoaderTable) {
    if (loader == nullptr) break;
    if (offer(loader)) return 0;
  }
  return -1;
}

int MakeAlphaImagePath(const char* path, char* out, int32_t size) {
  const size_t length = std::strlen(path);
  const char* dot = std::strrchr(path, '.');
  const size_t stem = dot != nullptr ? static_cast<size_t>(dot - path) : length;
  if (size < 1 || length + 3 > static_cast<size_t>(size)) return -1;
  std::memcpy(out, path, stem);
  std::memcpy(out + stem, "_a", 2);
  std::memcpy(out + stem + 2, path + stem, length - stem + 1);
  return 0;
}

int LoadImageFileToGraphImage(const char* path, GraphImage* image, GraphImage* alpha, int32_t) {
  if (path == nullptr || ReadImageFile(path, nullptr, 0, 0, 0, image) != 0) return -1;
  // Paths of the file layer are at most 259 characters.
  char alpha_path[260];
  if (MakeAlphaImagePath(path, alpha_path, sizeof(alpha_path)) != 0) return 1;
  return ReadImageFile(alpha_path, nullptr, 0, 0, 0, alpha) == 0 ? 0 : 1;
}

namespace {

// The movie road of LoadGraphicFromFile for a file that exists but that no
// decoder takes.
int32_t LoadMovieGraphic(const char* path, int32_t texture_request, int32_t movie_option) {
  const int32_t textures_before = IsTextureGraphicsInUse();
  int32_t width = 0;
  int32_t height = 0;
  const int32_t movie = OpenMovieToGraph(path, &width, &height, movie_option);
  if (movie < 0) return LogPrintf("右記のグラフィックファイルのロードに失敗しました：%s \n", path);
  const MovieRecord* record = GetMovieRecord(movie);
  if (record != nullptr && GetMovieSurfaceMode(record) != 0) {
    if (GetDirectDrawObject() == nullptr) SetNoTextureFlag(1);
    NewGraphicUse3D = 0;
  }
  const int32_t saved_depth = NewGraphicColorDepth;
  const int32_t saved_software = NewGraphicSoftwareImage;
  NewGraphicColorDepth = GetScreenColorDepthDefault();
  NewGraphicSoftwareImage = 1;
  const int32_t graphic = CreateEmptyGraphic(width, height, texture_request, 0, 0);
  NewGraphicColorDepth = saved_depth;
  SetNewGraphicSoftwareImage(saved_software);
  SetUse3DForNewGraphics(textures_before);
  if (graphic == -1) {
    // No graphic shows the movie: it is closed, not left open.
    CloseMovie(movie);
    return LogPrintf("右記のグラフィックファイルの格納用グラフィック領域の作成に失敗しました：%s",
                     path);
  }
  GetGraphicRecord(graphic)->movie_handle = movie;
  return graphic;
}

}  // namespace

int32_t LoadGraphicFromFile(const char* path, int32_t texture_request, int32_t mirror,
                            int32_t movie_option) {
  EndCurrentD3DScene();
  UpperWaitWhileInactive();
  if (path == nullptr) return -1;
  GraphImage image{};
  GraphImage alpha{};
  const int read = LoadImageFileToGraphImage(path, &image, &alpha, 0);
  if (read >= 0) {
    GraphImage* const alpha_image = read == 0 ? &alpha : nullptr;
    if (mirror == 1) {
      MirrorGraphImage(&image);
      if (alpha_image != nullptr) MirrorGraphImage(alpha_image);
    }
    const int32_t graphic = MakeGraphicFromImage(&image, alpha_image, texture_request, mirror, 0);
    if (graphic != -1) StoreGraphicFileName(graphic, path);
    ReleaseGraphImage(&image);
    ReleaseGraphImage(&alpha);
    return graphic;
  }

  const intptr_t file = FileOpenThunk(path, 0, 1, 0);
  if (file == 0) return LogPrintf("グラフィックファイル %s がありません", path);
  FileCloseThunk(file);
  return LoadMovieGraphic(path, texture_request, movie_option);
}

int32_t LoadGraphicFileDefault(const char* path, int32_t no_texture_flag) {
  return LoadGraphicFromFile(path, no_texture_flag == 0 ? 1 : 0, 0, 0);
}

int LoadGraphicCellsFromFile(const char* path, int32_t count, int32_t across, int32_t down,
                             int32_t cell_width, int32_t cell_height, int32_t* handles,
                             int32_t texture_request, int32_t mirror) {
  UpperWaitWhileInactive();
  GraphImage image{};
  GraphImage alpha{};
  const int read = path != nullptr ? LoadImageFileToGraphImage(path, &image, &alpha, 0) : -1;
  if (read < 0) return LogPrintf("右記のグラフィックファイルのロードに失敗しました：%s", path);
  GraphImage* const alpha_image = read == 0 ? &alpha : nullptr;
  if (mirror == 1) {
    MirrorGraphImage(&image);
    if (alpha_image != nullptr) MirrorGraphImage(alpha_image);
  }
  const int result =
      CreateDivGraphFromGraphImage(&image, alpha_image, count, across, down, cell_width,
                                   cell_height, handles, texture_request, mirror);
  if (result == 0 && handles != nullptr) {
    // Only the cells that were made: the rows may run out before the count.
    const int64_t made =
        std::min<int64_t>(count, int64_t{across > 0 ? across : 0} * (down > 0 ? down : 0));
    StoreGraphicFileNames(handles, made, path);
  }
  ReleaseGraphImage(&image);
  ReleaseGraphImage(&alpha);
  return result;
}

int LoadGraphicCellsDefault(const char* path, int32_t count, int32_t across, int32_t down,
                            int32_t cell_width, int32_t cell_height, int32_t* handles,
                            int32_t no_texture_flag) {
  return LoadGraphicCellsFromFile(path, count, across, down, cell_width, cell_height, handles,
                                  no_texture_flag == 0 ? 1 : 0, 0);
}

int LoadAndRenderImage(int32_t x, int32_t y, const char* path, int32_t transparent) {
  const int32_t graphic = LoadGraphicFromFile(path, 1, 0, 0);
  if (graphic == -1) return -1;
  RenderGraphicAt(x, y, graphic, transparent);
  DeleteGraphicHandle(graphic, 0);
  return 0;
}

int32_t MakeGraphicFromImageDefault(GraphImage* image) {
  return MakeGraphicFromImage(image, nullptr, 1, 0, 1);
}

int UploadImageToGraphic(const char* name, const GraphImage* image, const GraphImage* alpha,
                         int32_t offset_x, int32_t offset_y, int32_t handle, int32_t load_option) {
  GraphicRecord* graphic = GetGraphicRecord(handle);
  if (graphic == nullptr) return -1;
  StoreGraphicFileName(handle, name);
  graphic->LoadOptionWord = load_option;
  graphic->offset_x = offset_x;
  graphic->offset_y = offset_y;
  if (graphic->settings.texture_flag == 1) return UploadImageToTextures(handle, image, alpha);
  return DrawImageToGraphicSurfaces2D(image, alpha, offset_x, offset_y, handle);
}

int FillGraphicFromImage(const char* name, const GraphImage* image, const GraphImage* alpha,
                         const RECT* rect, int32_t handle, int32_t load_option) {
  GraphicRecord* graphic = GetGraphicRecord(handle);
  if (graphic == nullptr || image == nullptr || rect == nullptr) return -1;
  StoreGraphicFileName(handle, name);
  graphic->offset_x = rect->left;
  graphic->offset_y = rect->top;
  graphic->LoadOptionWord = load_option;
  if (graphic->settings.texture_flag == 1) return UploadRectToTextures(handle, image, alpha, rect);
  // The rectangle lands at the graphic's top-left corner.
  return UploadImageToSurfaces2D(image, alpha, rect, 0, 0, handle);
}

int SetGraphicRestoreHandler(GraphicRestoreFunction handler) {
  GraphicRestoreHandler = handler;
  return 0;
}

int HasGraphicRestoreHandler() { return GraphicRestoreHandler != nullptr ? 1 : 0; }

void RestoreGraphicsFromFiles() {
  LogAdd("グラフィックを復帰します\n");
  char saved_directory[MAX_PATH + 1] = {};
  FileGetDirThunk(saved_directory);

  GraphImage image{};
  GraphImage alpha{};
  int read = -1;  // what the held images are: -1 none, 0 image and alpha, 1 image
  const GraphicRecord* previous = nullptr;
  for (int32_t slot = 0; slot < GraphicTable.area_end; ++slot) {
    auto* graphic = reinterpret_cast<GraphicRecord*>(GraphicTable.records[slot]);
    if (graphic == nullptr || graphic->RestoreMark != 1) continue;
    if (graphic->file_name[0] != '\0' && std::strlen(graphic->load_directory) <= 128 &&
        std::strlen(graphic->file_name) <= 64) {
      // Consecutive cells of one sheet read their file once.
      const bool same = previous != nullptr && read >= 0 &&
                        std::strcmp(previous->file_name, graphic->file_name) == 0 &&
                        std::strcmp(previous->load_directory, graphic->load_directory) == 0 &&
                        previous->LoadOptionWord == graphic->LoadOptionWord;
      if (!same) {
        ReleaseGraphImage(&image);
        ReleaseGraphImage(&alpha);
        FileSetDirThunk(graphic->load_directory);
        read =
            LoadImageFileToGraphImage(graphic->file_name, &image, &alpha, graphic->LoadOptionWord);
      }
      if (read >= 0) {
        UploadImageToGraphic(graphic->file_name, &image, read == 0 ? &alpha : nullptr,
                             graphic->offset_x, graphic->offset_y, graphic->head.handle,
                             graphic->LoadOptionWord);
      }
    }
    graphic->RestoreMark = 0;
    previous = graphic;
  }
  ReleaseGraphImage(&image);
  ReleaseGraphImage(&alpha);
  FileSetDirThunk(saved_directory);
}

int RestoreGraphic(int32_t handle) {
  const GraphicRecord* graphic = GetGraphicRecord(handle);
  if (graphic == nullptr) return -1;
  if (graphic->movie_handle != -1) RestoreMovieSurfaces(graphic->movie_handle);
  if (graphic->settings.texture_flag == 1) return RestoreGraphicTextures(handle);
  return RestoreGraphicSurfaces2D(handle);
}

int RestoreAllGraphics() {
  if (GraphicsReady == 0) return 0;
  RestoreLostScreenSurfaces();
  for (int32_t slot = 0; slot < GraphicTable.area_end; ++slot) {
    const auto* graphic = reinterpret_cast<const GraphicRecord*>(GraphicTable.records[slot]);
    if (graphic != nullptr) RestoreGraphic(graphic->head.handle);
  }
  return 0;
}
