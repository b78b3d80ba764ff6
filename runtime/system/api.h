// The API entry layer: the only way game code reaches the runtime.
//
// Every entry takes the library lock, calls one runtime operation with its
// arguments unchanged, releases the lock and returns that operation's result.
// Failures return -1 (ApiOpenFileForRead returns 0). Handles are 32-bit values
// (-1 = none), except file handles, which are pointer-sized (0 = none).
// Colours are pixel values of the screen format, as ApiGetColorValue gives.
#pragma once

#include <cstdint>

// Library start-up and end.
int32_t ApiInitLibrary();
int32_t ApiEndLibrary();

// Files.
intptr_t ApiOpenFileForRead(const char* path, int32_t async);
int32_t ApiCloseFile(intptr_t file);
int32_t ApiReadFileLine(char* buffer, int32_t buffer_size, intptr_t file);

// Window, messages and settings made before start-up.
int32_t ApiProcessMessage();
int32_t ApiChangeWindowMode(int32_t window_mode);
int32_t ApiSetWindowText(const char* text);
int32_t ApiSetLogOutput(int32_t on);
int32_t ApiSetWindowIcon(int32_t icon_id);
int32_t ApiSetArchiveExtension(const char* extension);
int32_t ApiSetArchiveKey(const char* key);

// Time, random numbers and input.
int32_t ApiGetMilliseconds(int32_t ignored);
int32_t ApiGetRandom(int32_t max);
int32_t ApiIsKeyDown(int32_t key_code);
int32_t ApiGetPadInput(int32_t input_set);

// Screen and graphics.
uint32_t ApiGetColorValue(int32_t r, int32_t g, int32_t b);
int32_t ApiFlipScreen();
int32_t ApiMakeEmptyGraphic(int32_t width, int32_t height, int32_t not_transparent);
int32_t ApiDeleteGraphic(int32_t graphic, int32_t log_flag);
int32_t ApiLoadGraphicFile(const char* path, int32_t flag);
int32_t ApiLoadGraphicCells(const char* path, int32_t cell_count, int32_t cells_across,
                            int32_t cells_down, int32_t cell_width, int32_t cell_height,
                            int32_t* graphics, int32_t flag);
int32_t ApiClearDrawScreen();
int32_t ApiLoadAndDrawImage(int32_t x, int32_t y, const char* path, int32_t transparent);
int32_t ApiDrawGraphicAt(int32_t x, int32_t y, int32_t graphic, int32_t transparent);
int32_t ApiDrawGraphicStretched(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t graphic,
                                int32_t transparent);
int32_t ApiDrawGraphicPart(int32_t x, int32_t y, int32_t source_x, int32_t source_y,
                           int32_t width, int32_t height, int32_t graphic, int32_t transparent,
                           int32_t turn);
int32_t ApiDrawRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour,
                         int32_t fill);
int32_t ApiDrawText(int32_t x, int32_t y, const char* text, uint32_t colour,
                    uint32_t edge_colour);
int32_t ApiDrawTextWithFont(int32_t x, int32_t y, const char* text, uint32_t colour, int32_t font,
                            uint32_t edge_colour, int32_t vertical);
int32_t ApiDrawFormattedText(int32_t x, int32_t y, uint32_t colour, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
int32_t ApiSetBlendMode(int32_t mode, int32_t parameter);
int32_t ApiSetDrawBrightness(int32_t r, int32_t g, int32_t b);
int32_t ApiSetDrawTarget(int32_t target);
int32_t ApiSetTransparentColor(int32_t r, int32_t g, int32_t b);
int32_t ApiCopyScreenToGraphic(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t graphic,
                               int32_t flag);
int32_t ApiCreateFontToHandle(const char* face_name, int32_t size, int32_t thickness,
                              int32_t font_type, int32_t char_set, int32_t edge_size,
                              int32_t italic, int32_t slot, int32_t check_id);

// Sound and music.
int32_t ApiLoadSoundFile(const char* path, int32_t buffer_count, int32_t share_with);
int32_t ApiDeleteSound(int32_t sound, int32_t flag);
int32_t ApiPlaySound(int32_t sound, int32_t play_type, int32_t from_top);
int32_t ApiStopSound(int32_t sound);
int32_t ApiIsSoundPlaying(int32_t sound);
int32_t ApiPlayMusicFile(const char* path, int32_t play_type);
int32_t ApiStopMusic();

// The on-screen debug console.
int32_t ApiPrintToScreen(const char* format, ...) __attribute__((format(printf, 1, 2)));
