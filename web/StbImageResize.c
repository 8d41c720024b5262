/* The resampler's implementation: natively it comes with Debian's libstb, here it is compiled
   from the same header. */
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>
