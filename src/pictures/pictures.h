#pragma once
// Everything the window needs from the pictures library.

#include "pictures/bitmap.h"
#include "pictures/errors.h"
#include "pictures/file_formats.h"
#include "pictures/graphic.h"
#include "pictures/icon.h"
#include "pictures/jpeg_image.h"
#include "pictures/metafile.h"
#include "pictures/ole_graphic.h"
#include "pictures/picture.h"
#include "pictures/png_graphic.h"
