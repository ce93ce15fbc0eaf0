// The one translation unit that holds the stb picture libraries' code:
// writing PNG, and resampling. Both work on pictures already in memory; the
// tool decodes picture files with libpng and libjpeg (picture_file.cpp).
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>
