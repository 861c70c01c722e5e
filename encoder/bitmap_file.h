// Bitmap files of the encoder: external bitmaps loaded as grey pictures,
// and grey pictures dumped as 8-bit grey-scale bitmap files.
#pragma once

#include "supkit/indexed_bitmap.h"

namespace ostrel {

// Result codes of LoadBitmapFile and SaveBitmapFile.
constexpr int BitmapOk = 0;
constexpr int BitmapCannotOpen = 1;
constexpr int BitmapShortRead = 2;
constexpr int BitmapShortWrite = 3;
constexpr int BitmapNoMemory = 5;
constexpr int BitmapNotSupported = 10;

// Loads a bitmap file of 1, 4, 8, 15, 16, 24 or 32 bits per pixel as 8-bit
// grey levels into `picture` (header filled, one zero colour entry). Returns
// BitmapOk, or a failure code with `picture->pixels` empty.
int LoadBitmapFile(const char* path, IndexedBitmap* picture);

// Writes the picture as an 8-bit bitmap file with a grey-ramp colour table.
int SaveBitmapFile(const IndexedBitmap& picture, const char* path);

}  // namespace ostrel
